// The contents of the main window's four pages, each built into its page container and
// bound to the form model.
#pragma once

#include <QWidget>

#include "engine/context.h"
#include "ui/form_binding.h"

namespace vfs::ui {

void BuildPathPage(Context& ctx, FormBinding& bind, QWidget* page);
void BuildSettingsPage(Context& ctx, FormBinding& bind, QWidget* page);
void BuildLogPage(Context& ctx, FormBinding& bind, QWidget* page);
void BuildControlsPage(Context& ctx, FormBinding& bind, QWidget* page);

// A fixed-pitch font for the task lines, so their columns line up.
QFont ListFont();

}  // namespace vfs::ui
