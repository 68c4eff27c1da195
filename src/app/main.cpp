// Entry point. The program runs headless until it has a window of its own; the word
// HEADLESS on the command line is accepted now so that scripts need no change later.
#include "app/headless.h"
#include "config/startup.h"

int main(int argc, char** argv) {
    return vfs::app::RunHeadless(vfs::JoinArguments(argc, argv));
}
