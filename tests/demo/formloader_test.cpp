// The window loader's refusals: each names the control at fault.
#include "platform/formloader.h"

#include <QAbstractButton>
#include <QLabel>

#include <gtest/gtest.h>

using namespace platform;

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

} // namespace
