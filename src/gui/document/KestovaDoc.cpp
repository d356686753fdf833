#include "document/KestovaDoc.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/Strings.h"
#include "document/DocumentFiles.h"
#include "document/DocumentLock.h"
#include "document/UnwritableNames.h"
#include "intercom/ConfigurationFile.h"
#include "intercom/Intercom.h"
#include "restrictions/RestrictionsParser.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vexilor {

namespace {

constexpr char16_t kDefaultUser[] = u"Default";

// Message ids.
constexpr int kReadOnlyMessage = 3173;
constexpr int kConfigurationWriteError = 3202;
constexpr int kChooseAnotherIntercom = 3203;
constexpr int kExportToOpenIntercom = 3225;
constexpr int kExportFailed = 3228;
constexpr int kSaveFailed = 3229;
constexpr int kReplaceUnreadable = 3302;
constexpr int kSaveChanges = 3303;
constexpr int kLockedByOther = 3304;
constexpr int kStaleLockTakenOver = 3305;
constexpr int kNoLockPossible = 3306;
constexpr int kUnreadableReadOnly = 3307;

QStringList ToStringList(const std::vector<std::u16string>& names)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(names.size()));
    for (const std::u16string& name : names)
        list.append(QString::fromStdU16String(name));
    return list;
}

QStringList NamesOf(const CRestrictionsModel& model, EntityKind kind)
{
    std::vector<std::u16string> names;
    CKestovaEnumerator enumerator(names);
    model.names(kind, enumerator);
    return ToStringList(names);
}

QString LockMessage(int id, const QString& path, const CDocumentLock::Holder& holder)
{
    const auto orUnknown = [](const QString& text) {
        return text.isEmpty() ? QStringLiteral("?") : text;
    };
    return strings::Text(id, {QDir::toNativeSeparators(path), orUnknown(holder.user),
                              orUnknown(holder.host), orUnknown(holder.program),
                              QString::number(holder.pid),
                              holder.since.isValid()
                                  ? QLocale().toString(holder.since, QLocale::ShortFormat)
                                  : QStringLiteral("?")});
}

}  // namespace

CKestovaDoc::CKestovaDoc(CAppState& app, Services services, QObject* parent)
    : QObject(parent), app_(app), services_(std::move(services))
{
    connect(&undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (modified_ == !clean)
            return;
        modified_ = !clean;
        Q_EMIT modifiedChanged(modified_);
    });
}

CKestovaDoc::~CKestovaDoc() = default;

QString CKestovaDoc::restrictionsFilePath(const QString& intercomName) const
{
    return docfiles::IntercomFilePath(app_.prefs.resFilesDirectory, intercomName,
                                      QStringLiteral("res"));
}

QString CKestovaDoc::configurationFilePath(const QString& intercomName) const
{
    return docfiles::IntercomFilePath(app_.prefs.cfgFilesDirectory, intercomName,
                                      QStringLiteral("cfg"));
}

void CKestovaDoc::setModified(bool modified)
{
    if (modified) {
        if (undoStack_.isClean())
            undoStack_.resetClean();
    } else {
        undoStack_.setClean();
    }
    if (modified_ == modified)
        return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified_);
}

bool CKestovaDoc::isReadOnly() const
{
    return model_.readOnly();
}

bool CKestovaDoc::checkReadOnly(bool showMessage)
{
    const bool readOnly =
        !pathName_.isEmpty() && (lockedOut_ || docfiles::IsReadOnlyFile(pathName_));
    if (readOnly && showMessage) {
        Prompts::show(strings::Text(kReadOnlyMessage), Prompts::Icon::Information);
        model_.setReadOnly(true);
    }
    return readOnly;
}

QStringList& CKestovaDoc::namesOf(EntityKind kind)
{
    return kind == EntityKind::Studio ? studioNames_ : kind == EntityKind::Class ? classNames_ : userNames_;
}

void CKestovaDoc::refreshNameLists(const std::vector<EntityRename>& renames)
{
    // Names are kept in the model's order: ordinal by UTF-16 code unit, as QString compares.
    const auto place = [](const QStringList& list, const QString& name) {
        return int(std::lower_bound(list.begin(), list.end(), name,
                                    [](const QString& a, const QString& b) { return a.compare(b) < 0; })
                   - list.begin());
    };
    for (const EntityKind kind : {EntityKind::Class, EntityKind::Studio, EntityKind::User}) {
        QStringList& list = namesOf(kind);
        const QStringList wanted = NamesOf(model_, kind);
        const QSet<QString> wantedSet(wanted.begin(), wanted.end());
        for (const EntityRename& r : renames) {
            if (r.kind != kind || r.from == r.to)
                continue;
            const int from = int(list.indexOf(r.from));
            if (from < 0 || list.contains(r.to) || !wantedSet.contains(r.to) || wantedSet.contains(r.from))
                continue;
            list.removeAt(from);
            const int to = place(list, r.to);
            list.insert(to, r.to);
            Q_EMIT entityRenamed(kind, from, to, r.to);
        }
        for (int i = int(list.size()) - 1; i >= 0; --i) {
            if (!wantedSet.contains(list[i])) {
                list.removeAt(i);
                Q_EMIT entityRemoved(kind, i);
            }
        }
        // What is left is in the wanted order: insert the missing names where they belong.
        for (int i = 0; i < int(wanted.size()); ++i) {
            if (i < int(list.size()) && list[i] == wanted[i])
                continue;
            list.insert(i, wanted[i]);
            Q_EMIT entityAdded(kind, i, wanted[i]);
        }
    }
}

void CKestovaDoc::setPathAndTitle(const QString& intercomName)
{
    pathName_ = restrictionsFilePath(intercomName);
    if (title_ != intercomName) {
        title_ = intercomName;
        Q_EMIT titleChanged(title_);
    }
}

// --- New document -----------------------------------------------------------------------------

bool CKestovaDoc::newDocument()
{
    if (!app_.intercomName.isEmpty())
        setPathAndTitle(app_.intercomName);

    // The selection service may already have made the chosen configuration current; a failed open
    // must leave the previous intercom as it was.
    const CIntercom previousIntercom = app_.intercom;
    QString name;
    CIntercom icom;
    if (!chooseIntercom(name, icom)) {
        app_.intercom = previousIntercom;
        return false;
    }
    std::unique_ptr<CDocumentLock> lock;
    bool lockedOut = false;
    if (!lockRestrictions(name, lock, lockedOut)) {
        app_.intercom = previousIntercom;
        return false;
    }
    if (services_.refreshAlphas)
        services_.refreshAlphas(icom);

    CRestrictionsModel fresh;
    // Whoever keeps state derived from the model compares generations: the new content must not
    // look like the old one.
    while (fresh.generation() <= model_.generation())
        fresh.reset();
    if (!openRestrictions(name, icom, fresh, !lockedOut)) {
        app_.intercom = previousIntercom;
        if (!app_.intercomName.isEmpty())
            setPathAndTitle(app_.intercomName);
        return false;
    }

    app_.intercom = std::move(icom);
    app_.intercomName = name;
    model_ = std::move(fresh);
    selection_.clear();
    undoStack_.clear();
    classNames_ = NamesOf(model_, EntityKind::Class);
    studioNames_ = NamesOf(model_, EntityKind::Studio);
    userNames_ = NamesOf(model_, EntityKind::User);
    Q_EMIT nameListsReset();
    // The open file's own lock (lock empty) goes on serving.
    if (lock)
        lock_ = std::move(lock);
    lockedOut_ = lockedOut;
    if (lockedOut_)
        lock_.reset();
    setPathAndTitle(name);
    setModified(false);
    if (lockedOut_)
        model_.setReadOnly(true);  // the user has been told why
    else
        checkReadOnly(true);
    Q_EMIT documentReset();
    return true;
}

bool CKestovaDoc::chooseIntercom(QString& name, CIntercom& icom)
{
    for (;;) {
        const QString preselect = app_.startIntercomName;
        app_.startIntercomName.clear();
        const std::optional<QString> chosen =
            services_.selectIntercom ? services_.selectIntercom(preselect) : std::nullopt;
        if (!chosen)
            return false;
        name = docfiles::TidyIntercomName(*chosen);
        app_.startIntercomName = name;
        QString error;
        if (loadIntercom(name, icom, error))
            return true;
        if (Prompts::show(strings::Text(kChooseAnotherIntercom, {error}), Prompts::Icon::Error,
                          Prompts::Buttons::OkCancel)
            != Prompts::Answer::Ok)
            return false;
    }
}

bool CKestovaDoc::lockRestrictions(const QString& name, std::unique_ptr<CDocumentLock>& lock,
                                   bool& lockedOut)
{
    const QString path = restrictionsFilePath(name);
    lockedOut = false;
    if (lock_ && lock_->isLocked() && lock_->restrictionsPath() == path)
        return true;
    lock = std::make_unique<CDocumentLock>(path);
    switch (lock->acquire()) {
    case CDocumentLock::Outcome::Taken:
        return true;
    case CDocumentLock::Outcome::TakenOverStale:
        Prompts::show(LockMessage(kStaleLockTakenOver, path, lock->holder()),
                      Prompts::Icon::Information);
        return true;
    case CDocumentLock::Outcome::HeldByOther:
        if (Prompts::show(LockMessage(kLockedByOther, path, lock->holder()), Prompts::Icon::Warning,
                          Prompts::Buttons::YesNo)
            != Prompts::Answer::Yes)
            return false;
        lockedOut = true;
        return true;
    case CDocumentLock::Outcome::Unavailable:
        Prompts::show(strings::Text(kNoLockPossible, {QDir::toNativeSeparators(path)}),
                      Prompts::Icon::Information);
        lockedOut = true;
        return true;
    }
    return false;
}

bool CKestovaDoc::loadIntercom(const QString& name, CIntercom& icom, QString& error) const
{
    icom = CIntercom{};
    const QString path = configurationFilePath(name);
    const bool read = LoadConfigurationFile(icom, docfiles::FsPath(path), FilesCodePage(app_.prefs));
    icom.name = name.toStdU16String();
    if (read)
        return true;
    // The last message is the error that stopped the reader; warnings come before it.
    error = icom.messages.empty() ? path : QString::fromStdU16String(icom.messages.back());
    return false;
}

bool CKestovaDoc::saveIntercom(const QString& name, const CIntercom& icom) const
{
    std::u16string error;
    if (SaveConfigurationFile(docfiles::FsPath(configurationFilePath(name)), icom, error,
                              FilesCodePage(app_.prefs)))
        return true;
    Prompts::show(strings::Text(kConfigurationWriteError, {QString::fromStdU16String(error)}),
                  Prompts::Icon::Error);
    return false;
}

bool CKestovaDoc::openRestrictions(const QString& name, const CIntercom& icom,
                                   CRestrictionsModel& fresh, bool mayWrite)
{
    const QString path = restrictionsFilePath(name);
    const std::u16string deviceName = name.toStdU16String();

    if (QFileInfo::exists(path)) {
        const RestrictionsParseResult result = readRestrictionsFile(fresh, docfiles::FsPath(path),
                                                                    {.codePage = FilesCodePage(app_.prefs)});
        if (result.ok) {
            if (fresh.deviceName() == deviceName)
                return true;
            fresh.setDeviceName(deviceName);
            // A read-only file cannot take the new device line; it is shown as it is.
            if (!mayWrite || docfiles::IsReadOnlyFile(path))
                return true;
            return writeRestrictions(fresh, icom, path);
        }
        // Another program may be writing it: not ours to replace.
        if (!mayWrite) {
            Prompts::show(strings::Text(kUnreadableReadOnly,
                                        {path, QString::fromStdString(result.errorText)}),
                          Prompts::Icon::Warning);
            return false;
        }
        // Never replace a file that could not be read without asking, and keep it aside.
        const QString question = strings::Text(
            kReplaceUnreadable, {path, QString::fromStdString(result.errorText)});
        if (Prompts::show(question, Prompts::Icon::Warning, Prompts::Buttons::YesNo)
            != Prompts::Answer::Yes)
            return false;
        if (docfiles::MoveAside(path).isEmpty()) {
            Prompts::show(strings::Text(kSaveFailed, {path}), Prompts::Icon::Warning);
            return false;
        }
        fresh.reset();
    }

    fresh.newFile(kDefaultUser);
    fresh.setDeviceName(deviceName);
    return !mayWrite || writeRestrictions(fresh, icom, path);
}

bool CKestovaDoc::writeRestrictions(CRestrictionsModel& model, const CIntercom& icom,
                                    const QString& path)
{
    QString refusal;
    if (!docfiles::WriteRestrictionsFile(model, icom, path, FilesCodePage(app_.prefs), &refusal)) {
        Prompts::show(refusal.isEmpty() ? strings::Text(kSaveFailed, {path}) : refusal,
                      Prompts::Icon::Warning);
        return false;
    }
    return true;
}

// --- Save ---------------------------------------------------------------------------------------

bool CKestovaDoc::save()
{
    if (checkReadOnly(true))
        return false;
    if (app_.intercomName.isEmpty() || !model_.documentValid() || model_.readOnly())
        return false;
    // A refused save writes nothing, the configuration file included.
    if (const QString refusal = UnwritableNameMessage(model_, FilesCodePage(app_.prefs)); !refusal.isEmpty()) {
        Prompts::show(refusal, Prompts::Icon::Warning);
        return false;
    }
    if (!saveIntercom(app_.intercomName, app_.intercom))
        return false;
    selection_.commit();
    if (!writeRestrictions(model_, app_.intercom, pathName_))
        return false;
    setModified(false);
    Q_EMIT saved(pathName_);
    return true;
}

bool CKestovaDoc::saveModified()
{
    if (checkReadOnly(false) || !modified_)
        return true;
    const QString fileName = pathName_.isEmpty() ? title_ : QFileInfo(pathName_).fileName();
    switch (Prompts::show(strings::Text(kSaveChanges, {fileName}), Prompts::Icon::Warning,
                          Prompts::Buttons::YesNoCancel)) {
    case Prompts::Answer::Yes:
        return save();
    case Prompts::Answer::No:
        return true;
    default:
        return false;
    }
}

// --- Export -------------------------------------------------------------------------------------

bool CKestovaDoc::exportRestrictions()
{
    if (!services_.chooseExportTarget || !model_.documentValid())
        return false;
    const std::optional<ExportTarget> target = services_.chooseExportTarget(app_.intercom);
    if (!target)
        return false;
    const QString name = docfiles::TidyIntercomName(target->name);
    if (name.isEmpty())
        return false;
    // Only Save writes the open intercom's files: an export there would write edits the user may
    // still decline to save, and replace its addresses.
    if (name.compare(app_.intercomName, Qt::CaseInsensitive) == 0) {
        Prompts::show(strings::Text(kExportToOpenIntercom, {name}), Prompts::Icon::Warning);
        return false;
    }
    // A refused export writes nothing, the configuration file included.
    const std::u16string deviceName = model_.deviceName();
    model_.setDeviceName(name.toStdU16String());
    QString refusal = UnwritableNameMessage(model_, FilesCodePage(app_.prefs));
    model_.setDeviceName(deviceName);
    const QString path = restrictionsFilePath(name);
    if (refusal.isEmpty() && docfiles::IsReadOnlyFile(path))
        refusal = strings::Text(kExportFailed);
    if (!refusal.isEmpty()) {
        Prompts::show(refusal, Prompts::Icon::Warning);
        return false;
    }
    if (!exportConfiguration(name, *target))
        return false;

    // What the user sees on screen is what goes out. The save preparation works on the open
    // model, so it takes the open intercom's counts.
    selection_.commit();
    model_.setDeviceName(name.toStdU16String());
    const bool written = docfiles::WriteRestrictionsFile(model_, app_.intercom, path, FilesCodePage(app_.prefs), &refusal);
    model_.setDeviceName(deviceName);
    if (!written) {
        Prompts::show(refusal.isEmpty() ? strings::Text(kExportFailed) : refusal,
                      Prompts::Icon::Warning);
        return false;
    }

    app_.startIntercomName = name;
    Q_EMIT changeIntercomRequested();
    return true;
}

bool CKestovaDoc::exportConfiguration(const QString& name, const ExportTarget& target)
{
    const std::u16string main = target.mainAddress.toStdU16String();
    const std::u16string partner = target.partnerAddress.toStdU16String();
    CIntercom stored;
    QString error;
    if (QFileInfo::exists(configurationFilePath(name)) && loadIntercom(name, stored, error)) {
        // Its counts and alphas are its own; only addresses the user changed are replaced.
        if (stored.mainAddress == main && stored.partnerAddress == partner)
            return true;
        stored.mainAddress = main;
        stored.partnerAddress = partner;
        stored.partnerActive = false;
        return saveIntercom(name, stored);
    }
    CIntercom copy = app_.intercom;
    copy.name = name.toStdU16String();
    copy.mainAddress = main;
    copy.partnerAddress = partner;
    copy.partnerActive = false;
    return saveIntercom(name, copy);
}

}  // namespace vexilor
