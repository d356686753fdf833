#include "document/UnwritableNames.h"

#include "app/Strings.h"
#include "restrictions/WritableNames.h"
#include "text/FileCodePage.h"

namespace vexilor {

namespace {

// Message ids.
constexpr int kCharacterNotHeld = 3461;
constexpr int kNameNotHeld = 3462;
constexpr int kStudioWord = 3463;
constexpr int kClassWord = 3464;
constexpr int kUserWord = 3465;
constexpr int kIntercomWord = 3466;

int KindWord(EntityKind kind)
{
    switch (kind) {
    case EntityKind::Studio: return kStudioWord;
    case EntityKind::Class: return kClassWord;
    case EntityKind::User: return kUserWord;
    case EntityKind::None: break;
    }
    return kIntercomWord;
}

}  // namespace

QString ShownCharacter(const QString& text, qsizetype pos)
{
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    const char32_t c = text::codePointAt(units, static_cast<std::size_t>(pos));
    const QString code =
        QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
    if (!QChar::isPrint(c))
        return code;
    return u'"' + QString::fromUcs4(&c, 1) + QStringLiteral("\" (") + code + u')';
}

QString UnwritableNameMessage(const CRestrictionsModel& model, const text::CodePage& codePage)
{
    const std::optional<UnwritableName> bad = firstUnwritableName(model, codePage);
    if (!bad)
        return {};
    const QString kind = strings::Text(KindWord(bad->kind));
    const QString name = QString::fromStdU16String(bad->name);
    if (bad->flaw.fault == NameFault::Character)
        return strings::Text(kCharacterNotHeld,
                             {kind, name, ShownCharacter(name, qsizetype(bad->flaw.position))});
    return strings::Text(kNameNotHeld,
                         {kind, name, static_cast<qulonglong>(kMaxWritableNameLength)});
}

}  // namespace vexilor
