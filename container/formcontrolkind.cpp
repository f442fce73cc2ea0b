#include "formcontrolkind.h"

using namespace velloc;

namespace container {

const QList<FormControlKind>& FormControlKind::all()
{
    static const QList<FormControlKind> kinds = [] {
        const std::tuple<QString, QString, QSize> table[] = {
            {QStringLiteral("label"), QStringLiteral("Label"), QSize(1215, 255)},
            {QStringLiteral("textbox"), QStringLiteral("Text"), QSize(1215, 285)},
            {QStringLiteral("button"), QStringLiteral("Command"), QSize(1215, 495)},
            {QStringLiteral("optionbutton"), QStringLiteral("Option"), QSize(1215, 255)},
            {QStringLiteral("frame"), QStringLiteral("Frame"), QSize(2415, 1455)},
        };
        QList<FormControlKind> out;
        // The runtime decides which kinds exist; a key it does not build is not offered.
        for (const auto& [key, base, size] : table)
            if (const std::optional<BuiltInControl::Kind> kind = BuiltInControl::kindOf(key))
                out.append({key, base, size, *kind});
        return out;
    }();
    return kinds;
}

const FormControlKind* FormControlKind::find(QStringView key)
{
    for (const FormControlKind& k : all())
        if (k.key == key)
            return &k;
    return nullptr;
}

QString FormControlKind::className() const
{
    return BuiltInControl::create(kind)->className();
}

QJsonObject FormControlKind::entry(const QString& name) const
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("kind"), key},
            {QStringLiteral("left"), 0},
            {QStringLiteral("top"), 0},
            {QStringLiteral("width"), twips.width()},
            {QStringLiteral("height"), twips.height()},
            {kind == BuiltInControl::Kind::TextBox ? QStringLiteral("text") : QStringLiteral("caption"), name}};
}

} // namespace container
