// The window loader's refusals: each names the control at fault.
#include "velloc/hosting/formloader.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

using namespace velloc;

namespace {

struct LoaderCase {
    const char* name;
    const char* controls; // the "controls" array of a small form
    const char* expected; // the start of the message
};

class FormLoaderErrors : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(FormLoaderErrors, NameTheControl)
{
    const QByteArray json = QByteArray(R"({"name": "F", "clientWidth": 3000, "clientHeight": 2000, "controls": )")
        + GetParam().controls + "}";
    Result<std::unique_ptr<Form>> form = FormLoader::fromJson(json);
    ASSERT_FALSE(form.ok());
    EXPECT_TRUE(form.error().message().startsWith(GetParam().expected)) << form.error().message().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormLoaderErrors,
    ::testing::Values(
        LoaderCase {"UnknownKind", R"([{"name": "Gauge1", "kind": "gauge"}])", "Gauge1: unknown kind of control \"gauge\""},
        LoaderCase {"UnknownProgId", R"([{"name": "X1", "kind": "component", "progId": "No.Such"}])", "X1: cannot create \"No.Such\""},
        LoaderCase {"RefusedBag",
                    R"([{"name": "Velloc1", "kind": "component", "progId": "Vellib.Velloc", "bag": ["protectiontype = i4:300"]}])",
                    "Velloc1: the control refused its saved properties"},
        LoaderCase {"UnreadableBag",
                    R"([{"name": "Velloc1", "kind": "component", "progId": "Vellib.Velloc", "bag": ["key = bstr:\"open"]}])",
                    "Velloc1: its saved properties do not read"},
        LoaderCase {"BadFont", R"([{"name": "Label9", "kind": "label", "font": "font:Arial"}])", "Label9: font"},
        LoaderCase {"BadColour", R"([{"name": "Label9", "kind": "label", "foreColor": "blue"}])", "Label9: foreColor is not a colour"},
        LoaderCase {"DuplicateName", R"([{"name": "A", "kind": "label"}, {"name": "A", "kind": "button"}])", "A: the name is used twice"},
        LoaderCase {"NamelessControl", R"([{"kind": "label"}])", "the form: a control has no name"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormLoader, MalformedJsonAndFocusOrder)
{
    Result<std::unique_ptr<Form>> form = FormLoader::fromJson("{ not json");
    ASSERT_FALSE(form.ok());
    EXPECT_TRUE(form.error().message().startsWith("The window description is not valid JSON"));
    // Each refusal says what is wrong and where, never "no error occurred".
    const std::pair<QByteArray, const char*> refusals[] = {
        {"[]", "The window description is a JSON array; it must be an object"},
        {"\"text\"", "The window description is not valid JSON: illegal value at line 1, column 2"},
        {"{\"a\": 1,\n \"b\": }", "The window description is not valid JSON: object is missing after a comma at line 2, column 8"},
        {"", "The window description is not valid JSON: "},
    };
    for (const auto& [json, says] : refusals) {
        form = FormLoader::fromJson(json);
        ASSERT_FALSE(form.ok()) << json.toStdString();
        EXPECT_TRUE(form.error().message().startsWith(QString::fromLatin1(says))) << form.error().message().toStdString();
        EXPECT_FALSE(form.error().message().contains("no error occurred"));
    }

    form = FormLoader::fromJson(R"({"controls": [{"name": "A", "kind": "button"}], "tabOrder": ["A", "Ghost"]})");
    ASSERT_FALSE(form.ok());
    EXPECT_EQ(form.error().message(), "Ghost: named in the focus order but not on the form");
}

TEST(FormLoader, VariablesAutoSizeAndGroups)
{
    Result<std::unique_ptr<Form>> form = FormLoader::fromJson(R"({
        "controls": [
          {"name": "L", "kind": "label", "left": 15, "top": 15, "width": 15, "height": 15, "caption": "at ${HOME}", "autoSize": true},
          {"name": "F1", "kind": "frame", "left": 0, "top": 300, "width": 3000, "height": 1500, "controls": [
            {"name": "A", "kind": "optionbutton", "value": true}, {"name": "B", "kind": "optionbutton"}]},
          {"name": "C", "kind": "optionbutton", "value": true}
        ]})", {{"HOME", "/harbour"}});
    ASSERT_TRUE(form.ok()) << form.error().message().toStdString();
    auto* label = (*form)->find<QLabel>("L");
    EXPECT_EQ(label->text(), "at /harbour");
    EXPECT_GT(label->width(), 1) << "an auto-sized label fits its text";
    auto* a = (*form)->find<QAbstractButton>("A");
    auto* b = (*form)->find<QAbstractButton>("B");
    auto* c = (*form)->find<QAbstractButton>("C");
    b->click();
    EXPECT_FALSE(a->isChecked()) << "option buttons in one frame are one group";
    EXPECT_TRUE(c->isChecked()) << "an option button outside the frame is another group";
}

// A described colour holds while the control is enabled; disabled, the control takes the style's
// disabled colours, so that it looks disabled (a red caption does not stay red).
struct ColourCase {
    const char* kind;
    QPalette::ColorRole role; // where the style takes the caption's colour from
};

class FormLoaderColours : public ::testing::TestWithParam<ColourCase> {};

int pixelsOf(const QImage& image, const QColor& color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}

TEST_P(FormLoaderColours, DisabledControlsTakeTheStylesDisabledColours)
{
    const QByteArray json = QByteArray(R"({"name": "F", "clientWidth": 4000, "clientHeight": 2000, "controls": [
        {"name": "C", "kind": ")") + GetParam().kind + R"(", "left": 150, "top": 150, "width": 3000, "height": 600,
         "caption": "WWW MMM", "text": "WWW MMM", "foreColor": 255, "font": "font:\"Arial\" 20 700 -"}]})";
    Result<std::unique_ptr<Form>> form = FormLoader::fromJson(json);
    ASSERT_TRUE(form.ok()) << form.error().message().toStdString();
    (*form)->show();
    QWidget* control = (*form)->control("C");
    const QColor red(255, 0, 0);
    EXPECT_GT(pixelsOf(control->grab().toImage(), red), 10) << "enabled: the described colour";
    QApplication::setActiveWindow(nullptr);
    EXPECT_GT(pixelsOf(control->grab().toImage(), red), 10) << "inactive window: still the described colour";

    control->setEnabled(false);
    const QColor disabled = QApplication::palette(control).color(QPalette::Disabled, GetParam().role);
    ASSERT_NE(disabled, red);
    const QImage image = control->grab().toImage();
    EXPECT_EQ(pixelsOf(image, red), 0) << "disabled: not the enabled caption's colour";
    EXPECT_GT(pixelsOf(image, disabled), 10) << "disabled: the style's disabled colour";
}

INSTANTIATE_TEST_SUITE_P(Kinds, FormLoaderColours,
                         ::testing::Values(ColourCase {"label", QPalette::WindowText}, ColourCase {"button", QPalette::ButtonText},
                                           ColourCase {"optionbutton", QPalette::WindowText},
                                           ColourCase {"frame", QPalette::WindowText}, ColourCase {"textbox", QPalette::Text}),
                         [](const auto& info) { return std::string(info.param.kind); });

} // namespace
