// The form document on its own, without a window: names, places, the form's values, and what
// a description must hold to be opened.
#include "formdocument.h"
#include "formentry.h"

#include <gtest/gtest.h>

using namespace container;
using velloc::Result;

namespace {

FormDocument sized(int width, int height)
{
    Result<FormDocument> doc = FormDocument::parse(
        QStringLiteral(R"({"name": "F", "clientWidth": %1, "clientHeight": %2, "controls": []})").arg(width).arg(height).toUtf8());
    EXPECT_TRUE(doc.ok());
    return doc ? *doc : FormDocument();
}

QJsonObject entry(const char* name, QRect twips)
{
    QJsonObject e {{"name", name}, {"kind", "component"}};
    formentry::setTwips(e, twips);
    return e;
}

} // namespace

TEST(FormDocument, RefusesWhatCannotBeOpenedWhole)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"({"controls": [{"name": "A"}, {"name": "A"}]})", "A: the name is used twice"},
        {R"({"controls": [{"name": "F", "controls": [{"name": "A"}]}, {"name": "A"}]})", "A: the name is used twice"},
        {R"({"controls": [{"kind": "label"}]})", "the form: a control has no name"},
        {R"([1, 2])", "The form description is a JSON array; it must be an object ({ ... })"},
    };
    for (const auto& [json, message] : cases) {
        Result<FormDocument> doc = FormDocument::parse(json);
        ASSERT_FALSE(doc.ok()) << json;
        EXPECT_EQ(doc.error().message(), message);
    }
}

TEST(FormDocument, NamesFollowTheClassAndAvoidTakenOnes)
{
    EXPECT_EQ(FormDocument::nextName("Velloc", {}), "Velloc1");
    EXPECT_EQ(FormDocument::nextName("Velloc", {"velloc1", "Velloc2"}), "Velloc3");
    EXPECT_EQ(FormDocument::freeName("Label7", {"Label1"}), "Label7");
    EXPECT_EQ(FormDocument::freeName("Label7", {"Label7", "Label1"}), "Label2");
}

// A spot clear of every control by at least a few pixels and whole on the form; on a full form,
// the middle.
TEST(FormDocument, FreeSpotIsClearAndOnTheForm)
{
    const FormDocument doc = sized(4800, 3600);
    const QList<QRect> taken {QRect(0, 0, 4800, 1200), QRect(0, 1200, 2000, 2400)};
    const QPoint at = doc.freeSpot(QSize(1200, 600), taken);
    const QRect spot(at, QSize(1200, 600));
    EXPECT_TRUE(doc.client().contains(spot));
    for (const QRect& r : taken)
        EXPECT_FALSE(r.adjusted(-60, -60, 60, 60).intersects(spot)) << at.x() << "," << at.y();
    EXPECT_EQ(doc.freeSpot(QSize(1200, 600), {doc.client()}), QPoint(1800, 1500));
    EXPECT_EQ(doc.freeSpot(QSize(6000, 600), {}), QPoint(0, 1500)) << "wider than the form: at its left edge";
}

struct CopyCase {
    const char* name;
    std::optional<QPoint> at;
    QPoint expected; // the first copy's top left
};

class Copies : public ::testing::TestWithParam<CopyCase> {};

// Two controls copied together keep their places among themselves and land whole on the form.
TEST_P(Copies, LandTogetherOnTheForm)
{
    const FormDocument doc = sized(4800, 3600);
    const QJsonArray entries {entry("A1", QRect(600, 600, 1200, 600)), entry("B", QRect(2400, 1200, 600, 600))};
    Result<QList<QJsonObject>> copies = doc.copies(entries, {"A1", "B"}, GetParam().at);
    ASSERT_TRUE(copies.ok());
    ASSERT_EQ(copies->size(), 2);
    EXPECT_EQ(formentry::nameOf((*copies)[0]), "A2");
    EXPECT_EQ(formentry::nameOf((*copies)[1]), "B1");
    const QRect first = formentry::twipsOf((*copies)[0]), second = formentry::twipsOf((*copies)[1]);
    EXPECT_EQ(first.topLeft(), GetParam().expected);
    EXPECT_EQ(second.topLeft() - first.topLeft(), QPoint(1800, 600));
    EXPECT_EQ(first.size(), QSize(1200, 600));
    EXPECT_TRUE(doc.client().contains(first | second));
}

INSTANTIATE_TEST_SUITE_P(Places, Copies,
                         ::testing::Values(CopyCase {"Beside", std::nullopt, QPoint(720, 720)},
                                           CopyCase {"WhereClicked", QPoint(100, 200), QPoint(100, 200)},
                                           CopyCase {"PulledInFromBelow", QPoint(4700, 3500), QPoint(2400, 2400)},
                                           CopyCase {"PulledInFromAbove", QPoint(-300, -300), QPoint(0, 0)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormDocument, FrameWithControlsIsNotCopied)
{
    QJsonObject frame = entry("Frame1", QRect(0, 0, 100, 100));
    frame.insert("controls", QJsonArray {entry("Inner", QRect(0, 0, 10, 10))});
    Result<QList<QJsonObject>> copies = sized(4800, 3600).copies(QJsonArray {frame}, {}, std::nullopt);
    ASSERT_FALSE(copies.ok());
    EXPECT_EQ(copies.error().message(), "Frame1: a frame with controls is not pasted");
}

TEST(FormDocument, FormValuesAreCheckedBeforeTheyAreTaken)
{
    const FormDocument doc = sized(4800, 3600);
    EXPECT_EQ(doc.withFormValue("clientWidth", " 6000 ")->value("clientWidth").toInt(), 6000);
    EXPECT_EQ(doc.withFormValue("caption", "Tides")->value("caption").toString(), "Tides");
    const std::pair<const char*, const char*> refused[] = {
        {"clientWidth", "299"}, {"clientHeight", "100001"}, {"clientHeight", "tall"}, {"name", "1st"}, {"icon", "x"}};
    for (const auto& [key, text] : refused)
        EXPECT_FALSE(doc.withFormValue(key, text).ok()) << key << " = " << text;
}

TEST(FormDocument, ControlsOffTheFormAreNamed)
{
    const FormDocument doc = sized(4800, 3600);
    EXPECT_EQ(doc.placementProblem("Lost", QRect(-500, 99999, 1200, 600)),
              "Lost: lies outside the form (left -500, top 99999; the form is 4800 x 3600)");
    EXPECT_EQ(doc.placementProblem("Edge", QRect(4700, 3500, 1200, 600)), "");
}

// A rename keeps the control's key order and its place in the focus order.
TEST(FormDocument, RenameKeepsKeyAndFocusOrder)
{
    Result<FormDocument> doc = FormDocument::parse(R"({
  "name": "F",
  "controls": [
    {
      "top": 1,
      "name": "A"
    }
  ],
  "tabOrder": [
    "A"
  ]
}
)");
    ASSERT_TRUE(doc.ok());
    doc->renamed("A", "B");
    QJsonObject b {{"top", 1}, {"name", "B"}};
    EXPECT_EQ(doc->write({b}), R"({
  "name": "F",
  "controls": [
    {
      "top": 1,
      "name": "B"
    }
  ],
  "tabOrder": [
    "B"
  ]
}
)");
    EXPECT_EQ(doc->write({}), "{\n  \"name\": \"F\",\n  \"controls\": [],\n  \"tabOrder\": []\n}\n");
}

// The controls inside a frame keep their own key order by name: one taken out or moved leaves
// the others' keys as they were written.
TEST(FormDocument, ControlsInAFrameKeepTheirKeyOrder)
{
    Result<FormDocument> doc = FormDocument::parse(R"({
  "controls": [
    {
      "name": "F",
      "controls": [
        {
          "top": 1,
          "name": "A"
        },
        {
          "caption": "b",
          "name": "B",
          "left": 2
        }
      ],
      "kind": "frame"
    }
  ]
}
)");
    ASSERT_TRUE(doc.ok());
    const QJsonObject b {{"caption", "b"}, {"name", "B"}, {"left", 2}};
    const QJsonObject frame {{"name", "F"}, {"kind", "frame"}, {"controls", QJsonArray {b, QJsonObject {{"top", 1}, {"name", "A"}}}}};
    EXPECT_EQ(doc->write({frame}), R"({
  "controls": [
    {
      "name": "F",
      "controls": [
        {
          "caption": "b",
          "name": "B",
          "left": 2
        },
        {
          "top": 1,
          "name": "A"
        }
      ],
      "kind": "frame"
    }
  ]
}
)");
}
