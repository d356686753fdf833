#pragma once

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "document/KestovaDoc.h"
#include "restrictions/RestrictionsDump.h"
#include "restrictions/RestrictionsParser.h"
#include "restrictions/RestrictionsWriter.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

namespace vexilor::test {

// A document over a model read from file lines, with settings in a temporary INI file. No dialogs
// are injected: the windows under test never open or save an intercom.
struct DocFixture {
    QTemporaryDir dir;
    SettingsStore settings{std::make_unique<QSettings>(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat),
                           SystemDefaults{}};
    CAppState app;
    std::unique_ptr<CKestovaDoc> doc;

    explicit DocFixture(const std::string& lines)
    {
        app.settings = &settings;
        app.prefs = settings.loadSettings();
        doc = std::make_unique<CKestovaDoc>(app, CKestovaDoc::Services{});
        std::string text;
        std::size_t start = 0;
        while (start < lines.size()) {
            const std::size_t end = lines.find('\n', start);
            text += lines.substr(start, end - start) + "\r\n";
            start = end == std::string::npos ? lines.size() : end + 1;
        }
        const RestrictionsParseResult parsed = parseRestrictions(doc->model(), text);
        if (!parsed.ok)
            QTest::qFail(parsed.errorText.c_str(), __FILE__, __LINE__);
        doc->model().setDocumentValid(true);
        doc->refreshNameLists();
    }

    // The model as written to a file and read back: what a save would leave on disk.
    std::string savedAndReadBack() const
    {
        const std::optional<std::string> bytes = restrictionsFileBytes(doc->model());
        if (!bytes)
            return "<not written>";
        CRestrictionsModel back;
        if (!parseRestrictions(back, *bytes).ok)
            return "<not readable>";
        return canonicalDump(back);
    }
};

}  // namespace vexilor::test
