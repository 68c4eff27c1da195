// The help as built beside the program: every page the program opens exists, and no page
// links to a page, an anchor or a picture that is not there.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "config/help.h"
#include "support/temp_dir.h"

namespace vfs {
namespace {

namespace fs = std::filesystem;

const std::string kHelpDir = VFS_HELP_DIR;

bool HasAnchor(const std::string& page, const std::string& anchor) {
    const std::string text = test::ReadFile(kHelpDir + "/" + page);
    return text.find("id=\"" + anchor + "\"") != std::string::npos;
}

// "page.html#anchor" (or "#anchor" within `from`) names an existing page and anchor.
bool Resolves(const std::string& from, const std::string& target) {
    const std::size_t hash = target.find('#');
    const std::string page = hash == 0 ? from : target.substr(0, hash);
    if (!fs::is_regular_file(kHelpDir + "/" + page)) return false;
    return hash == std::string::npos || HasAnchor(page, target.substr(hash + 1));
}

TEST(HelpContentTest, TheProgramsPagesAreShippedBesideIt) {
    EXPECT_TRUE(fs::is_regular_file(kHelpDir + "/" + kHelpFileName));
    EXPECT_TRUE(fs::is_regular_file(kHelpDir + "/contents.html"));
    for (int32_t context = kHelpContextOverview; context <= kHelpContextMessageWindow; ++context) {
        EXPECT_TRUE(Resolves("", HelpTopicForContext(context))) << HelpTopicForContext(context);
    }
}

TEST(HelpContentTest, EveryLinkAndPictureResolves) {
    const std::regex reference(R"re((href|src)="([^"]+)")re");
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(kHelpDir)) {
        if (entry.path().extension() != ".html") continue;
        ++pages;
        const std::string name = entry.path().filename().string();
        const std::string text = test::ReadFile(entry.path().string());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), reference);
             it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[2];
            if ((*it)[1] == "src" || target.ends_with(".css")) {
                EXPECT_TRUE(fs::is_regular_file(kHelpDir + "/" + target)) << name << ": " << target;
            } else {
                EXPECT_TRUE(Resolves(name, target)) << name << ": " << target;
            }
        }
    }
    EXPECT_GE(pages, 10);
}

}  // namespace
}  // namespace vfs
