// The control's own property page, Hyperlink.
#include "testhost.h"

#include "hyperlink.h"
#include "urllabel.h"

#include "platform/units.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;
using linkwell::Hyperlink;
using linkwell::LinkwellTxt;

namespace {

QList<std::shared_ptr<Object>> selection(std::initializer_list<std::shared_ptr<Object>> objects)
{
    return QList<std::shared_ptr<Object>>(objects);
}

class HyperlinkPage : public ::testing::Test {
protected:
    TestHost host;
    std::shared_ptr<Hyperlink> page = std::make_shared<Hyperlink>();
};

struct Placed {
    const char* name;
    int index; // -1 for controls that are not in the help group
    QRect twips;
};

TEST_F(HyperlinkPage, ControlsSitWhereTheFormPlacesThem)
{
    QWidget* face = page->widget();
    EXPECT_EQ(page->caption(), QStringLiteral("Hyperlink"));
    EXPECT_EQ(face->size(), units::toPixels(QSize(5925, 3495)));
    const QList<Placed> placed = {
        {"chkEnabled", -1, {60, 315, 2700, 285}},     {"lblHyperLink", -1, {75, 2595, 2700, 240}},
        {"txtHyperLink", -1, {90, 2850, 5325, 330}}, {"Label1", 0, {135, 810, 5655, 195}},
        {"Label1", 1, {405, 1200, 3795, 195}},       {"Label1", 2, {405, 1455, 3645, 195}},
        {"Label1", 3, {405, 1695, 3675, 195}},       {"Label1", 5, {405, 1935, 3375, 195}},
        {"Label1", 4, {405, 2190, 3390, 195}},
    };
    for (const Placed& p : placed) {
        SCOPED_TRACE(QStringLiteral("%1(%2)").arg(QLatin1String(p.name)).arg(p.index).toStdString());
        QWidget* w = p.index < 0 ? face->findChild<QWidget*>(QLatin1String(p.name)) : page->Label1.value(p.index).data();
        ASSERT_TRUE(w);
        EXPECT_EQ(w->objectName(), QLatin1String(p.name));
        const QRect expected = units::toPixels(p.twips.x(), p.twips.y(), p.twips.width(), p.twips.height());
        EXPECT_EQ(w->pos(), expected.topLeft());
        // The help labels size themselves to their text.
        if (p.index < 0) {
            EXPECT_EQ(w->size(), expected.size());
        } else {
            EXPECT_EQ(w->size(), static_cast<QLabel*>(w)->sizeHint());
        }
    }
}

TEST_F(HyperlinkPage, HelpLabelsShowTheFormsOfAHyperlink)
{
    page->widget();
    const QStringList starts = {QStringLiteral("NOTE:   Enter the hyperlink you wish to use.  Formats are as follows:"),
                                QStringLiteral("Web address:    Http://"),
                                QStringLiteral("Mail address:     MailTo:"),
                                QStringLiteral("Network Drive:  f:\\MyNetworkDirectoryPath"),
                                QStringLiteral("Local Drive:       c:\\MyLocalDirectoryPath"),
                                QStringLiteral("Network Drive:  \\\\NetworkAliasName\\c\\")};
    for (int i = 0; i < 6; ++i) {
        QLabel* label = page->Label1.value(i);
        ASSERT_TRUE(label) << i;
        EXPECT_TRUE(label->text().startsWith(starts[i])) << label->text().toStdString();
        EXPECT_EQ(label->property("index").toInt(), i);
        EXPECT_TRUE(label->font().bold()) << i;
        const QColor colour = label->palette().color(QPalette::WindowText);
        if (i == 0) {
            EXPECT_NE(colour, QColor(192, 64, 0));
        } else {
            EXPECT_EQ(colour, QColor(192, 64, 0)) << i;
        }
    }
    EXPECT_EQ(page->chkEnabled->text(), QStringLiteral("Enabled"));
    EXPECT_EQ(page->lblHyperLink->text(), QStringLiteral("HyperLink:"));
    EXPECT_TRUE(page->txtHyperLink->text().isEmpty());
}

// The next widget that Tab moves to.
QWidget* nextTabStop(QWidget* from)
{
    for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled())
            return w;
    return from;
}

TEST_F(HyperlinkPage, FocusGoesFromTheCheckBoxToTheTextBox)
{
    page->widget();
    EXPECT_EQ(nextTabStop(page->chkEnabled), page->txtHyperLink.data());
    EXPECT_EQ(nextTabStop(page->txtHyperLink), page->chkEnabled.data());
}

TEST_F(HyperlinkPage, ShowsAndAppliesOnlyTheFirstOfSeveralSelectedControls)
{
    auto first = host.create();
    auto second = host.create();
    ASSERT_TRUE(first->setHyperlink(QStringLiteral("http://first.example/")).ok());
    ASSERT_TRUE(second->setHyperlink(QStringLiteral("http://second.example/")).ok());
    ASSERT_TRUE(second->setEnabled(false).ok());
    host.log.clear();

    ASSERT_TRUE(page->setSelectedControls(selection({first, second})).ok());
    EXPECT_EQ(page->txtHyperLink->text(), QStringLiteral("http://first.example/"));
    EXPECT_EQ(page->chkEnabled->checkState(), Qt::Checked);

    page->txtHyperLink->setText(QStringLiteral("\\\\NetworkAliasName\\c\\"));
    ASSERT_TRUE(page->apply().ok());
    EXPECT_EQ(first->Hyperlink(), QStringLiteral("\\\\NetworkAliasName\\c\\"));
    EXPECT_EQ(second->Hyperlink(), QStringLiteral("http://second.example/"));
    EXPECT_FALSE(second->Enabled());
    // The control reports each write as a property change.
    EXPECT_EQ(host.log, QStringList({QStringLiteral("changed HyperLink"), QStringLiteral("changed Enabled")}));
}

TEST_F(HyperlinkPage, DisabledControlShowsAClearedBoxAndApplyingWritesFalseBack)
{
    auto control = host.create();
    ASSERT_TRUE(control->setEnabled(false).ok());
    ASSERT_TRUE(page->setSelectedControls(selection({control})).ok());
    EXPECT_EQ(page->chkEnabled->checkState(), Qt::Unchecked);
    ASSERT_TRUE(page->apply().ok());
    EXPECT_FALSE(control->Enabled());
    EXPECT_EQ(control->Hyperlink(), LinkwellTxt::DefaultHyperlink);
}

TEST_F(HyperlinkPage, OnlyATickedBoxAppliesTrue)
{
    const QList<std::pair<Qt::CheckState, bool>> cases = {
        {Qt::Checked, true}, {Qt::Unchecked, false}, {Qt::PartiallyChecked, false}};
    for (const auto& [state, enabled] : cases) {
        auto control = host.create();
        ASSERT_TRUE(control->setEnabled(!enabled).ok());
        ASSERT_TRUE(page->setSelectedControls(selection({control})).ok());
        page->chkEnabled->setTristate(state == Qt::PartiallyChecked);
        page->chkEnabled->setCheckState(state);
        ASSERT_TRUE(page->apply().ok());
        EXPECT_EQ(control->Enabled(), enabled) << state;
    }
}

TEST_F(HyperlinkPage, AnEmptyTextAppliedGivesAnEmptyCaption)
{
    auto control = host.create();
    ASSERT_TRUE(page->setSelectedControls(selection({control})).ok());
    const int width = control->lblURL()->width();
    page->txtHyperLink->clear();
    ASSERT_TRUE(page->apply().ok());
    EXPECT_EQ(control->Hyperlink(), QString());
    EXPECT_TRUE(control->lblURL()->text().isEmpty());
    EXPECT_LT(control->lblURL()->width(), width);
}

TEST_F(HyperlinkPage, TextIsAppliedAsItStands)
{
    auto control = host.create();
    ASSERT_TRUE(page->setSelectedControls(selection({control})).ok());
    page->txtHyperLink->setText(QStringLiteral("  www.no-scheme.example  "));
    ASSERT_TRUE(page->apply().ok());
    EXPECT_EQ(control->Hyperlink(), QStringLiteral("  www.no-scheme.example  "));
}

TEST_F(HyperlinkPage, EditsAndFillingMarkThePageChangedAndApplyingClearsIt)
{
    auto control = host.create();
    EXPECT_FALSE(page->changed());
    ASSERT_TRUE(page->setSelectedControls(selection({control})).ok());
    // Filling the empty box from the selection is itself a change.
    EXPECT_TRUE(page->changed());
    ASSERT_TRUE(page->apply().ok());
    EXPECT_FALSE(page->changed());

    QTest::keyClicks(page->txtHyperLink, QStringLiteral("x"));
    EXPECT_TRUE(page->changed());
    ASSERT_TRUE(page->apply().ok());
    page->chkEnabled->click();
    EXPECT_TRUE(page->changed());
    ASSERT_TRUE(page->apply().ok());
    EXPECT_FALSE(control->Enabled());
    EXPECT_EQ(control->Hyperlink(), LinkwellTxt::DefaultHyperlink + QStringLiteral("x"));
}

TEST_F(HyperlinkPage, WorksOnAnyObjectWithTheTwoPropertiesByName)
{
    auto holder = std::make_shared<PropertyHolder>(QList<PropertyHolder::Property> {
        {QStringLiteral("ENABLED"), {VarType::Bool, {}}, Variant::fromBool(true)},
        {QStringLiteral("hyperlink"), {VarType::BStr, {}}, Variant::fromString(QStringLiteral("http://holder.example/"))}});
    ASSERT_TRUE(page->setSelectedControls(selection({holder})).ok());
    EXPECT_EQ(page->txtHyperLink->text(), QStringLiteral("http://holder.example/"));
    page->chkEnabled->setChecked(false);
    ASSERT_TRUE(page->apply().ok());
    EXPECT_FALSE(holder->value(QStringLiteral("Enabled")).boolean());
    EXPECT_EQ(holder->puts, QStringList({QStringLiteral("hyperlink"), QStringLiteral("ENABLED")}));
}

TEST_F(HyperlinkPage, ErrorsFromTheSelectionGoBackToTheHost)
{
    Result<void> none = page->setSelectedControls({});
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().number(), errc::SubscriptOutOfRange);

    auto withoutLink = std::make_shared<PropertyHolder>(
        QList<PropertyHolder::Property> {{QStringLiteral("Enabled"), {VarType::Bool, {}}, Variant::fromBool(true)}});
    Result<void> missing = page->setSelectedControls(selection({withoutLink}));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().number(), errc::NotSupported);

    auto refusing = std::make_shared<PropertyHolder>(QList<PropertyHolder::Property> {
        {QStringLiteral("Hyperlink"), {VarType::BStr, {}}, Variant::fromString(QStringLiteral("a"))},
        {QStringLiteral("Enabled"), {VarType::Bool, {}}, Variant::fromBool(true)}});
    refusing->refused << QStringLiteral("Hyperlink");
    ASSERT_TRUE(page->setSelectedControls(selection({refusing})).ok());
    page->chkEnabled->setChecked(false);
    Result<void> applied = page->apply();
    ASSERT_FALSE(applied.ok());
    EXPECT_EQ(applied.error().number(), 380);
    // The rest of the step is not done, and the edits stay unapplied.
    EXPECT_TRUE(refusing->value(QStringLiteral("Enabled")).boolean());
    EXPECT_TRUE(page->changed());
}

} // namespace
