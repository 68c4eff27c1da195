// The contents of the main window's four pages, each built into its page container and
// bound to the form model.
#pragma once

#include <QWidget>
#include <functional>

#include "engine/context.h"
#include "ui/form_binding.h"

namespace vfs::ui {

// A browse button was clicked (its btnBrowse index): the folder chooser opens for it.
using BrowseHandler = std::function<void(int browseIndex)>;

void BuildPathPage(Context& ctx, FormBinding& bind, QWidget* page, const BrowseHandler& browse);
void BuildSettingsPage(Context& ctx, FormBinding& bind, QWidget* page, const BrowseHandler& browse);
void BuildLogPage(Context& ctx, FormBinding& bind, QWidget* page);
void BuildControlsPage(Context& ctx, FormBinding& bind, QWidget* page);

// A fixed-pitch font for the task lines, so their columns line up.
QFont ListFont();

}  // namespace vfs::ui
