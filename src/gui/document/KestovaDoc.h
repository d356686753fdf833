#pragma once

#include "restrictions/EntitySelection.h"
#include "restrictions/RestrictionsModel.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vexilor {

struct CAppState;
class CDocumentLock;
class CIntercom;

// A studio, class or user that a structural change renamed (the name lists move its row instead
// of removing one and adding another).
struct EntityRename {
    EntityKind kind = EntityKind::None;
    QString from;
    QString to;
};

// The main and partner addresses and the name an export goes to.
struct ExportTarget {
    QString name;
    QString mainAddress;
    QString partnerAddress;
};

// The single document: ties the open intercom to its restrictions file. It chooses the intercom,
// refreshes and caches its configuration, opens or creates the restrictions file, saves it,
// exports it, and guards read-only files. Every edit of the model goes through it, so that edits
// can become undoable commands.
class CKestovaDoc : public QObject {
    Q_OBJECT
public:
    // What the document asks of the dialogs; the application supplies the real ones, tests their own.
    struct Services {
        // The intercom selection dialog with `preselect` selected (its retry loop included); the
        // chosen name, or nothing on Cancel. It consumes the application's start-intercom flag.
        std::function<std::optional<QString>(const QString& preselect)> selectIntercom;
        // "Refresh Alphas" for the application's current intercom (does nothing without an
        // address); updates the configuration it is given and saves its configuration file.
        std::function<void(CIntercom& current)> refreshAlphas;
        // The export form of the add/edit intercom dialog; nothing on Cancel.
        std::function<std::optional<ExportTarget>(const CIntercom& current)> chooseExportTarget;
    };

    CKestovaDoc(CAppState& app, Services services, QObject* parent = nullptr);
    ~CKestovaDoc() override;

    CRestrictionsModel& model() { return model_; }
    const CRestrictionsModel& model() const { return model_; }
    // The entity being edited (select before building a list window, commit before the next).
    CEntitySelection& selection() { return selection_; }
    CAppState& app() { return app_; }

    // New document ("Change Intercom" and start-up): choose an intercom and open its file. False
    // when nothing was opened; the previous intercom and file then stay open. A missing file is
    // created with the user "Default"; a file that cannot be read is replaced only when the user
    // agrees, and is kept beside it as NAME.res.unreadable-YYYYMMDD-HHMMSS. The file is locked
    // while it is open (NAME.res.lock); when another program holds the lock, or none can be made,
    // it opens read-only (held by another: only when the user agrees).
    bool newDocument();
    // "Save Restrictions": the configuration file, then the restrictions file (atomic).
    bool save();
    // Before the document is closed or replaced: asks to save a modified file (never for a
    // read-only one). False when the user cancelled.
    bool saveModified();
    // "Export Restrictions...": writes a copy for another intercom, then asks for "Change
    // Intercom" with that intercom preselected (changeIntercomRequested). An intercom that has a
    // configuration file keeps it, with only the addresses replaced when they differ; a new one
    // gets a copy of the open intercom's. The open intercom itself is refused (Save writes it).
    bool exportRestrictions();

    // True when the restrictions file exists and is read-only, or was opened read-only because it
    // could not be locked; with showMessage also tells the user (3173) and marks the model
    // read-only.
    bool checkReadOnly(bool showMessage);
    bool isReadOnly() const;
    bool isModified() const { return modified_; }
    // The flag follows the undo stack: back at the saved step means unmodified. A change made
    // without a step (setModified(true)) keeps the document modified whatever is undone after it.
    void setModified(bool modified = true);
    // Every edit is one step here (see UndoCommands.h); cleared when another file is opened.
    QUndoStack& undoStack() { return undoStack_; }

    // The restrictions file of the open intercom, and the intercom name as the title.
    QString pathName() const { return pathName_; }
    QString title() const { return title_; }
    QString restrictionsFilePath(const QString& intercomName) const;
    QString configurationFilePath(const QString& intercomName) const;

    // The sorted name lists of the navigation tree. Refreshing them from the model announces each
    // difference (entityRenamed for the renames named, then entityRemoved, then entityAdded), so
    // that a mirror of the lists applying the signals in order ends equal to them.
    void refreshNameLists(const std::vector<EntityRename>& renames = {});
    const QStringList& classNames() const { return classNames_; }
    const QStringList& studioNames() const { return studioNames_; }
    const QStringList& userNames() const { return userNames_; }

Q_SIGNALS:
    void modifiedChanged(bool modified);
    // "Save Restrictions" (or a Yes to the save query) wrote the restrictions file at path.
    void saved(const QString& path);
    // A new intercom or file is open (or the model was replaced): the view rebuilds everything.
    void documentReset();
    void titleChanged(const QString& title);
    // Post "Change Intercom" (after an export).
    void changeIntercomRequested();
    // An undo or redo changed access values of the model: the lists repaint.
    void accessChanged();
    // An undo or redo changed studios, classes, users or their links (the name lists have already
    // announced their rows): the view keeps the entity it shows and builds its window anew.
    void structureChanged();
    // One row of a name list changed; the index is into the list as it stands when the signal is
    // sent (before the change for removals and renames' old place, after it for additions and
    // renames' new place, as for a list that has already lost the renamed row).
    void entityAdded(vexilor::EntityKind kind, int index, const QString& name);
    void entityRemoved(vexilor::EntityKind kind, int index);
    void entityRenamed(vexilor::EntityKind kind, int from, int to, const QString& name);
    // The name lists were replaced as a whole (another file was opened).
    void nameListsReset();

private:
    void setPathAndTitle(const QString& intercomName);
    QStringList& namesOf(EntityKind kind);
    // The selection loop: a chosen name whose configuration file reads; false on Cancel.
    bool chooseIntercom(QString& name, CIntercom& icom);
    // Locks the restrictions file of name, talking to the user about other holders. False when the
    // user cancelled. lock stays empty when the open file's own lock serves; lockedOut tells that
    // the file is to be opened read-only.
    bool lockRestrictions(const QString& name, std::unique_ptr<CDocumentLock>& lock,
                          bool& lockedOut);
    bool loadIntercom(const QString& name, CIntercom& icom, QString& error) const;
    // The export target's configuration file (see exportRestrictions); false when it could not be
    // written (the user has been told).
    bool exportConfiguration(const QString& name, const ExportTarget& target);
    // Writes icom as NAME.cfg; tells the user (3202) when that fails.
    bool saveIntercom(const QString& name, const CIntercom& icom) const;
    // Reads or creates the restrictions file of name into fresh (the open model stays untouched).
    // Without mayWrite nothing is written: a missing file or another device name stay in memory.
    bool openRestrictions(const QString& name, const CIntercom& icom, CRestrictionsModel& fresh,
                          bool mayWrite);
    // Writes model to path atomically; tells the user (3229) when that fails.
    bool writeRestrictions(CRestrictionsModel& model, const CIntercom& icom, const QString& path);

    CAppState& app_;
    Services services_;
    CRestrictionsModel model_;
    CEntitySelection selection_{model_};
    QStringList classNames_;
    QStringList studioNames_;
    QStringList userNames_;
    QString pathName_;
    QString title_;
    bool modified_ = false;
    QUndoStack undoStack_;
    // The lock on the open file; lockedOut_ when it was opened read-only for want of one.
    std::unique_ptr<CDocumentLock> lock_;
    bool lockedOut_ = false;
};

}  // namespace vexilor
