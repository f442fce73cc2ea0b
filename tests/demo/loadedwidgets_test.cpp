// The window the loader builds from the demonstration form, every built-in control described as
// a person and the style see it, against a listing taken when the loader read the keys itself.
#include "velloc/hosting/formloader.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace velloc;

namespace {

QString colours(const QWidget* w)
{
    // A colour is named only where it is not the style's own, so the listing holds on any style.
    const QPalette own = w->palette(), style = QApplication::palette(w);
    QStringList out;
    for (const auto& [group, groupName] : {std::pair {QPalette::Active, "a"}, {QPalette::Inactive, "i"}, {QPalette::Disabled, "d"}})
        for (const auto& [role, roleName] : {std::pair {QPalette::WindowText, "windowText"}, {QPalette::ButtonText, "buttonText"},
                                             {QPalette::Text, "text"}, {QPalette::Window, "window"}, {QPalette::Button, "button"},
                                             {QPalette::Base, "base"}})
            if (own.color(group, role) != style.color(group, role))
                out << QStringLiteral("%1.%2=%3").arg(QLatin1String(groupName), QLatin1String(roleName), own.color(group, role).name());
    return out.isEmpty() ? QStringLiteral("style") : out.join(QLatin1Char(' '));
}

QString describe(const QWidget* w, const QWidget* window)
{
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w))
        text = label->text();
    else if (auto* button = qobject_cast<const QAbstractButton*>(w))
        text = button->text();
    else if (auto* edit = qobject_cast<const QLineEdit*>(w))
        text = edit->text() + QStringLiteral(" cursor %1").arg(edit->cursorPosition());
    else if (auto* frame = qobject_cast<const QGroupBox*>(w))
        text = frame->title();
    QStringList lines {
        QStringLiteral("%1 %2 in %3").arg(w->objectName(), QLatin1String(w->metaObject()->className()), w->parentWidget()->objectName()),
        QStringLiteral("  geometry %1 %2 %3 %4").arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height()),
        QStringLiteral("  text \"%1\"").arg(text),
        QStringLiteral("  font %1%2").arg(w->font().toString(), w->testAttribute(Qt::WA_SetFont) ? QStringLiteral(" (own)") : QString()),
        QStringLiteral("  colours %1%2%3").arg(colours(w), w->testAttribute(Qt::WA_SetPalette) ? QStringLiteral(" (own)") : QString(),
                                              w->autoFillBackground() ? QStringLiteral(" filled") : QString()),
        QStringLiteral("  enabled %1 shown %2 focus %3").arg(w->isEnabled()).arg(w->isVisibleTo(window)).arg(int(w->focusPolicy())),
        QStringLiteral("  tip \"%1\"").arg(w->toolTip()),
    };
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        lines << QStringLiteral("  checked %1").arg(button->isChecked());
    if (auto* push = qobject_cast<const QPushButton*>(w))
        lines << QStringLiteral("  autoDefault %1").arg(push->autoDefault());
    if (auto* label = qobject_cast<const QLabel*>(w))
        lines << QStringLiteral("  wordWrap %1").arg(label->wordWrap());
    return lines.join(QLatin1Char('\n'));
}

TEST(LoadedWidgets, Form1IsBuiltAsItsListingSays)
{
    Result<std::unique_ptr<Form>> form =
        FormLoader::load(QStringLiteral(VELLOC_SOURCE_DIR "/demo/Form1.json"), {{QStringLiteral("DATADIR"), QStringLiteral("/data")}});
    ASSERT_TRUE(form.ok()) << form.error().message().toStdString();
    QStringList listing;
    for (const QString& name : (*form)->names())
        if (!(*form)->component(name))
            listing << describe((*form)->control(name), form->get());
    // The focus chain as Tab walks it, from the first control of the focus order.
    QStringList chain;
    QWidget* first = (*form)->control((*form)->tabOrder().value(0));
    for (QWidget* w = first; w && chain.size() < 40; w = w->nextInFocusChain()) {
        if (!w->objectName().isEmpty() && (*form)->control(w->objectName()) == w)
            chain << w->objectName();
        if (w->nextInFocusChain() == first)
            break;
    }
    listing << QStringLiteral("focus chain: ") + chain.join(QLatin1Char(' '));
    const QString actual = listing.join(QLatin1Char('\n')) + QLatin1Char('\n');

    QFile golden(QStringLiteral(VELLOC_SOURCE_DIR "/tests/demo/form1.widgets"));
    if (qEnvironmentVariableIsSet("VELLOC_WRITE_GOLDEN")) {
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
        golden.write(actual.toUtf8());
        return;
    }
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << "no listing at " << golden.fileName().toStdString();
    EXPECT_EQ(actual.toStdString(), QString::fromUtf8(golden.readAll()).toStdString());
}

// A form that lists no focus order takes it from its controls' tabIndex keys: by number, those
// without one after, in the order of the description; a list, where there is one, comes first.
TEST(LoadedWidgets, FocusOrderFromTabIndex)
{
    const QByteArray controls = R"("controls": [
        {"name": "A", "kind": "button", "tabIndex": 2},
        {"name": "F", "kind": "frame", "tabIndex": 0, "controls": [{"name": "B", "kind": "textbox", "tabIndex": 1}]},
        {"name": "L", "kind": "label"},
        {"name": "C", "kind": "button", "tabIndex": 3}])";
    Result<std::unique_ptr<Form>> form = FormLoader::fromJson("{" + controls + "}");
    ASSERT_TRUE(form.ok()) << form.error().message().toStdString();
    EXPECT_EQ((*form)->tabOrder(), (QStringList {"F", "B", "A", "C", "L"}));
    EXPECT_EQ((*form)->control("B")->nextInFocusChain(), (*form)->control("A"));

    form = FormLoader::fromJson("{" + controls + R"(, "tabOrder": ["C", "A"]})");
    ASSERT_TRUE(form.ok()) << form.error().message().toStdString();
    EXPECT_EQ((*form)->tabOrder(), (QStringList {"C", "A"}));

    for (const char* index : {"-1", "1.5", "\"first\""}) {
        form = FormLoader::fromJson(QByteArray(R"({"controls": [{"name": "A", "kind": "button", "tabIndex": )") + index + "}]}");
        ASSERT_FALSE(form.ok()) << index;
        EXPECT_EQ(form.error().message(), "A: tabIndex takes a whole number from 0") << index;
    }
}

} // namespace
