#pragma once

#include <QDialog>

#include <functional>

namespace vexilor {

// How the editing windows run their modal dialogs: exec() in the program; a test installs a runner
// that fills the dialog in and accepts or rejects it, so that no test waits on a modal.
using DialogRunner = std::function<int(QDialog& dialog)>;

// The runner in use; setDialogRunner({}) restores exec().
int RunDialog(QDialog& dialog);
void SetDialogRunner(DialogRunner runner);

}  // namespace vexilor
