#include "app/Prompts.h"

#include <vexilor/Version.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>
#include <QWidget>

namespace vexilor {

namespace {

struct SeamState {
    bool testMode = false;
    Prompts::UnansweredHandler unanswered;
    QQueue<Prompts::Answer> answers;
    QQueue<QString> folders;
    QQueue<QString> fileNames;
    QList<Prompts::Message> messages;
    QList<Prompts::Dialog> dialogs;
};

SeamState& State()
{
    static SeamState state;
    return state;
}

QString ProductName()
{
    return QString::fromUtf8(build::kProductName);
}

// What a box gives when it is closed without a button: its way out.
Prompts::Answer EscapeAnswer(Prompts::Buttons buttons)
{
    switch (buttons) {
    case Prompts::Buttons::Ok: return Prompts::Answer::Ok;
    case Prompts::Buttons::YesNo: return Prompts::Answer::No;
    case Prompts::Buttons::OkCancel:
    case Prompts::Buttons::YesNoCancel: break;
    }
    return Prompts::Answer::Cancel;
}

bool Offers(Prompts::Buttons buttons, Prompts::Answer answer)
{
    using A = Prompts::Answer;
    switch (buttons) {
    case Prompts::Buttons::Ok: return answer == A::Ok;
    case Prompts::Buttons::OkCancel: return answer == A::Ok || answer == A::Cancel;
    case Prompts::Buttons::YesNo: return answer == A::Yes || answer == A::No;
    case Prompts::Buttons::YesNoCancel: return answer != A::Ok;
    }
    return false;
}

void Unanswered(const QString& what)
{
    const SeamState& s = State();
    if (s.unanswered) {
        s.unanswered(what);
        return;
    }
    qFatal("Prompts: no answer queued for %s", qUtf8Printable(what));
}

QString Describe(const Prompts::Message& m)
{
    return QStringLiteral("message \"%1\"").arg(m.text);
}

QString Describe(const Prompts::Dialog& d)
{
    switch (d.kind) {
    case Prompts::Dialog::Kind::Folder: return QStringLiteral("folder dialog \"%1\"").arg(d.title);
    case Prompts::Dialog::Kind::OpenFile: return QStringLiteral("open dialog \"%1\"").arg(d.title);
    case Prompts::Dialog::Kind::SaveFile: return QStringLiteral("save dialog \"%1\"").arg(d.title);
    }
    return {};
}

QMessageBox::Icon BoxIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information: return QMessageBox::Information;
    case Prompts::Icon::Warning: return QMessageBox::Warning;
    case Prompts::Icon::Error: return QMessageBox::Critical;
    case Prompts::Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

Prompts::Answer ShowBox(const Prompts::Message& m)
{
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first = QMessageBox::Ok;
    switch (m.buttons) {
    case Prompts::Buttons::Ok: buttons = QMessageBox::Ok; break;
    case Prompts::Buttons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case Prompts::Buttons::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        first = QMessageBox::Yes;
        break;
    case Prompts::Buttons::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        first = QMessageBox::Yes;
        break;
    }
    QMessageBox box(BoxIcon(m.icon), m.caption, m.text, buttons, QApplication::activeWindow());
    box.setDefaultButton(first);
    box.setEscapeButton(m.buttons == Prompts::Buttons::YesNo ? QMessageBox::No
                        : m.buttons == Prompts::Buttons::Ok ? QMessageBox::Ok
                                                            : QMessageBox::Cancel);
    box.activateWindow();
    switch (box.exec()) {
    case QMessageBox::Ok: return Prompts::Answer::Ok;
    case QMessageBox::Yes: return Prompts::Answer::Yes;
    case QMessageBox::No: return Prompts::Answer::No;
    case QMessageBox::Cancel: return Prompts::Answer::Cancel;
    default: return EscapeAnswer(m.buttons);
    }
}

QString ShowDialog(const Prompts::Dialog& d)
{
    QWidget* parent = QApplication::activeWindow();
    switch (d.kind) {
    case Prompts::Dialog::Kind::Folder: {
        QFileDialog::Options options = QFileDialog::ShowDirsOnly;
        if (!d.allowNewFolder)
            options |= QFileDialog::ReadOnly;  // a read-only view offers no new folder
        return QFileDialog::getExistingDirectory(parent, d.title, d.start, options);
    }
    case Prompts::Dialog::Kind::OpenFile:
        return QFileDialog::getOpenFileName(parent, d.title, d.start, d.filter);
    case Prompts::Dialog::Kind::SaveFile:
        return QFileDialog::getSaveFileName(parent, d.title, d.start, d.filter);
    }
    return {};
}

QString Answered(const Prompts::Dialog& d, QQueue<QString>& queue)
{
    SeamState& s = State();
    if (!s.testMode)
        return ShowDialog(d);
    s.dialogs.append(d);
    if (queue.isEmpty()) {
        Unanswered(Describe(d));
        return {};
    }
    return queue.dequeue();
}

}  // namespace

Prompts::Answer Prompts::show(const QString& text, Icon icon, Buttons buttons,
                              const QString& caption)
{
    SeamState& s = State();
    const Message m{text, caption.isEmpty() ? ProductName() : caption, icon, buttons};
    if (!s.testMode)
        return ShowBox(m);
    s.messages.append(m);
    if (s.answers.isEmpty()) {
        Unanswered(Describe(m));
        return EscapeAnswer(buttons);
    }
    const Answer answer = s.answers.dequeue();
    if (!Offers(buttons, answer)) {
        Unanswered(Describe(m) + QStringLiteral(" (the queued answer is not one of its buttons)"));
        return EscapeAnswer(buttons);
    }
    return answer;
}

QString Prompts::chooseFolder(const QString& title, const QString& start, bool allowNewFolder)
{
    return Answered(Dialog{Dialog::Kind::Folder, title, start, {}, allowNewFolder},
                    State().folders);
}

QString Prompts::chooseFile(FileMode mode, const QString& title, const QString& start,
                            const QString& filter)
{
    const auto kind = mode == FileMode::Open ? Dialog::Kind::OpenFile : Dialog::Kind::SaveFile;
    return Answered(Dialog{kind, title, start, filter, false}, State().fileNames);
}

void Prompts::setTestMode(bool on)
{
    SeamState& s = State();
    s.testMode = on;
    s.answers.clear();
    s.folders.clear();
    s.fileNames.clear();
    s.messages.clear();
    s.dialogs.clear();
    if (!on)
        s.unanswered = nullptr;
}

bool Prompts::testMode()
{
    return State().testMode;
}

void Prompts::setUnansweredHandler(UnansweredHandler handler)
{
    State().unanswered = std::move(handler);
}

void Prompts::setNextAnswer(Answer answer)
{
    State().answers.enqueue(answer);
}

void Prompts::setNextFolder(const QString& folder)
{
    State().folders.enqueue(folder);
}

void Prompts::setNextFileName(const QString& fileName)
{
    State().fileNames.enqueue(fileName);
}

int Prompts::pendingAnswers()
{
    const SeamState& s = State();
    return static_cast<int>(s.answers.size() + s.folders.size() + s.fileNames.size());
}

const QList<Prompts::Message>& Prompts::shownMessages()
{
    return State().messages;
}

const QList<Prompts::Dialog>& Prompts::shownDialogs()
{
    return State().dialogs;
}

void Prompts::clearRecords()
{
    State().messages.clear();
    State().dialogs.clear();
}

}  // namespace vexilor
