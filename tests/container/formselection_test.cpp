// The selection without a window: what it keeps, and when it says it changed.
#include "formselection.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace container;

namespace {

TEST(FormSelection, KeepsKnownNamesOnceAndSaysWhenItChanged)
{
    FormSelection selection;
    QSignalSpy changed(&selection, &FormSelection::changed);
    const QStringList onForm {"A", "B", "C"};
    const auto exists = [&](const QString& n) { return onForm.contains(n); };

    selection.set({"B", "Ghost", "A", "B"}, exists);
    EXPECT_EQ(selection.names(), (QStringList {"B", "A"}));
    EXPECT_EQ(selection.current(), "B");
    selection.set({"B", "A"}, exists);
    EXPECT_EQ(changed.count(), 1) << "the same selection again is no change";

    selection.renamed("A", "Z");
    EXPECT_EQ(selection.names(), (QStringList {"B", "Z"}));
    selection.renamed("C", "Y");
    selection.removed("C");
    EXPECT_EQ(changed.count(), 2) << "a control not selected changes nothing";
    selection.removed("B");
    EXPECT_EQ(selection.current(), "Z");
    selection.clear();
    EXPECT_TRUE(selection.names().isEmpty());
    EXPECT_EQ(changed.count(), 4);
}

} // namespace
