#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace vexilor {

// Every message box, question and folder or file dialog of the program goes through Prompts;
// logic never calls QMessageBox or QFileDialog itself.
//
// In the program each call shows the real dialog, modal and parented to the active window.
// In a test, answer in advance instead, then read back what was asked:
//
//     PromptsTestScope prompts;                        // tests/gui/support: test mode for one test
//     Prompts::setNextAnswer(Prompts::Answer::No);
//     dialog.deleteIntercom();
//     QCOMPARE(Prompts::shownMessages().at(0).buttons, Prompts::Buttons::YesNo);
//
// In test mode nothing modal is ever shown and every prompt is recorded. Answers are used in the
// order they were queued, one per prompt of their kind. A prompt that finds no queued answer, or an
// answer that is not one of the prompt's buttons, goes to the unanswered handler (a test installs
// one that fails the test) and gets the box's way out (Cancel, No, OK; an empty path); without a
// handler the process aborts, so a test can never hang on a dialog nobody answers.
class Prompts {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };
    enum class FileMode { Open, Save };

    struct Message {
        QString text;
        QString caption;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
        friend bool operator==(const Message&, const Message&) = default;
    };

    struct Dialog {
        enum class Kind { Folder, OpenFile, SaveFile };
        Kind kind = Kind::Folder;
        QString title;
        QString start;   // starting folder or file
        QString filter;  // file dialogs: "Restriction Files (*.res)" style filter
        bool allowNewFolder = false;  // folder dialogs
        friend bool operator==(const Dialog&, const Dialog&) = default;
    };

    // Shows text with the icon and buttons and returns the button pressed; closing the box counts
    // as its Cancel (or No when it has no Cancel, OK when it has only OK). An empty caption is the
    // product name.
    static Answer show(const QString& text, Icon icon, Buttons buttons = Buttons::Ok,
                       const QString& caption = {});

    // A file-system folder, starting at start; empty when cancelled.
    static QString chooseFolder(const QString& title, const QString& start, bool allowNewFolder);
    // A file to open or to save to; empty when cancelled.
    static QString chooseFile(FileMode mode, const QString& title, const QString& start,
                              const QString& filter);

    // --- test seam -----------------------------------------------------------------------------
    using UnansweredHandler = std::function<void(const QString& what)>;

    // Test mode on: queued answers only, never a modal. Off: clears queues and records.
    static void setTestMode(bool on);
    static bool testMode();
    static void setUnansweredHandler(UnansweredHandler handler);

    static void setNextAnswer(Answer answer);
    // An empty text answers the next folder or file dialog with Cancel.
    static void setNextFolder(const QString& folder);
    static void setNextFileName(const QString& fileName);
    // Answers queued but not yet used, of every kind.
    static int pendingAnswers();

    static const QList<Message>& shownMessages();
    static const QList<Dialog>& shownDialogs();
    static void clearRecords();
};

}  // namespace vexilor
