#include "views/nodes/DialogRunner.h"

namespace vexilor {

namespace {

DialogRunner& runner()
{
    static DialogRunner r;
    return r;
}

}  // namespace

int RunDialog(QDialog& dialog)
{
    return runner() ? runner()(dialog) : dialog.exec();
}

void SetDialogRunner(DialogRunner r)
{
    runner() = std::move(r);
}

}  // namespace vexilor
