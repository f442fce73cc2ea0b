// The description's text: saved back in the order and indentation it was written in, bags
// merged line by line, faults located by line and column.
#include "formentry.h"
#include "formjson.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace container;

namespace {

QByteArray roundTrip(const QByteArray& text)
{
    velloc::Result<JsonText> parsed = parseJson(text, QStringLiteral("the text"));
    if (!parsed)
        return "error: " + parsed.error().message().toUtf8();
    return writeJson(parsed->document.isObject() ? QJsonValue(parsed->document.object()) : QJsonValue(parsed->document.array()),
                     parsed->order, parsed->indent);
}

QJsonArray lines(std::initializer_list<const char*> texts)
{
    QJsonArray out;
    for (const char* t : texts)
        out.append(QString::fromUtf8(t));
    return out;
}

} // namespace

TEST(FormJson, DemonstrationFormComesBackByteForByte)
{
    QFile file(QStringLiteral(VELLOC_SOURCE_DIR "/demo/Form1.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(roundTrip(text), text);
}

class JsonTexts : public ::testing::TestWithParam<const char*> {};

// Written as a person or another writer would: keys unsorted, nested, escaped, empty, other indents.
TEST_P(JsonTexts, ComeBackAsWritten)
{
    const QByteArray text(GetParam());
    EXPECT_EQ(roundTrip(text), text);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, JsonTexts,
    ::testing::Values("{\n  \"z\": 1,\n  \"a\": 2\n}\n",
                      "{\n    \"name\": \"F\",\n    \"controls\": [\n        {\n            \"top\": 1,\n            \"kind\": \"label\"\n        }\n    ]\n}\n",
                      "{\n  \"e\": [],\n  \"o\": {},\n  \"t\": true,\n  \"n\": null,\n  \"f\": 8.25,\n  \"neg\": -500\n}\n",
                      "{\n  \"s\": \"quote \\\" back \\\\ tab \\t nl \\n ctl \\u0001 \xc3\xa9 \xe2\x82\xac\"\n}\n",
                      "{\n  \"k\xc3\xa9y\": 1,\n  \"b\": [\n    [\n      2\n    ],\n    {\n      \"y\": 1,\n      \"x\": 2\n    }\n  ]\n}\n"));

TEST(FormJson, KeysAddedLaterGoWhereAPersonPutsThem)
{
    velloc::Result<JsonText> parsed = parseJson(
        "{\n  \"name\": \"V\",\n  \"kind\": \"component\",\n  \"left\": 1,\n  \"top\": 2,\n  \"bag\": []\n}\n", "t");
    ASSERT_TRUE(parsed.ok());
    QJsonObject entry = parsed->document.object();
    entry.insert("width", 3);
    entry.insert("height", 4);
    entry.insert("progId", "A.B");
    EXPECT_EQ(writeJson(entry, parsed->order),
              "{\n  \"name\": \"V\",\n  \"kind\": \"component\",\n  \"progId\": \"A.B\",\n  \"left\": 1,\n  \"top\": 2,\n"
              "  \"width\": 3,\n  \"height\": 4,\n  \"bag\": []\n}\n");
    // A new entry, with no order of its own, is written in the usual one.
    const QJsonObject fresh {{"bag", QJsonArray()}, {"top", 2}, {"name", "N"}, {"left", 1}, {"progId", "A.B"}, {"kind", "component"}};
    EXPECT_EQ(writeJson(fresh, {}), "{\n  \"name\": \"N\",\n  \"kind\": \"component\",\n  \"progId\": \"A.B\",\n  \"left\": 1,\n"
                                    "  \"top\": 2,\n  \"bag\": []\n}\n");
}

TEST(FormJson, FaultIsPlacedByLineAndColumn)
{
    velloc::Result<JsonText> parsed = parseJson("{\n  \"a\": 1,\n  \"b\": }\n", QStringLiteral("Form9.json"));
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.error().number(), velloc::errc::InvalidArgument);
    EXPECT_TRUE(parsed.error().message().startsWith("Form9.json is not valid JSON: ")) << parsed.error().message().toStdString();
    EXPECT_TRUE(parsed.error().message().contains("at line 3, column ")) << parsed.error().message().toStdString();
}

struct MergeCase {
    const char* name;
    QJsonArray written, control, expected;
};

class BagMerge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(BagMerge, KeepsWhatDidNotChange)
{
    const velloc::FormLoader::Variables variables {{QStringLiteral("DATADIR"), QStringLiteral("/data")}};
    EXPECT_EQ(formentry::mergeBag(GetParam().written, GetParam().control, variables), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BagMerge,
    ::testing::Values(
        MergeCase {"Unchanged", lines({"b = i4:2", "a = i4:1"}), lines({"a = i4:1", "b = i4:2"}), lines({"b = i4:2", "a = i4:1"})},
        MergeCase {"ChangedInPlace", lines({"b = i4:2", "a = i4:1"}), lines({"a = i4:7", "b = i4:2"}), lines({"b = i4:2", "a = i4:7"})},
        MergeCase {"BackToDefault", lines({"b = i4:2", "a = i4:1"}), lines({"a = i4:1"}), lines({"a = i4:1"})},
        MergeCase {"NewAtTheEnd", lines({"b = i4:2"}), lines({"a = i4:1", "b = i4:2"}), lines({"b = i4:2", "a = i4:1"})},
        MergeCase {"OtherSpellingKept", lines({"Flag = i4:1"}), lines({"flag = i4:1"}), lines({"Flag = i4:1"})},
        MergeCase {"VariableKept", lines({"initdir = bstr:\"${DATADIR}\""}), lines({"initdir = bstr:\"/data\""}),
                   lines({"initdir = bstr:\"${DATADIR}\""})},
        MergeCase {"VariableReplacedWhenChanged", lines({"initdir = bstr:\"${DATADIR}\""}), lines({"initdir = bstr:\"/tmp\""}),
                   lines({"initdir = bstr:\"/tmp\""})}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });
