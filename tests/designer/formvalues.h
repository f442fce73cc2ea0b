#pragma once

// What controls.ui sets, read back from the controls themselves (late-bound, not through the
// proxies' Qt properties), so that a form built by uic, by QUiLoader or by Designer is checked
// against the file and not against itself.

#include "velloc/hosting/controlhost.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace designertest {

inline velloc::ControlHost* hostIn(QWidget* form, const char* name)
{
    auto* host = form->findChild<velloc::ControlHost*>(QString::fromLatin1(name));
    if (!host)
        ADD_FAILURE() << "the form has no control named " << name;
    else if (host->isNull())
        ADD_FAILURE() << name << " was not created: " << host->lastError().message().toStdString();
    return host && !host->isNull() ? host : nullptr;
}

inline QImage fileImage()
{
    return QImage(QStringLiteral(":/designer/tide.png")).convertToFormat(QImage::Format_RGB32);
}

inline void expectFileValues(QWidget* form)
{
    using velloc::ControlHost;
    if (ControlHost* velloc = hostIn(form, "velloc")) {
        EXPECT_EQ(velloc->getProperty(QStringLiteral("KEY")).toString().value(), QStringLiteral("harbour lights"));
        EXPECT_EQ(velloc->getProperty(QStringLiteral("ProtectionType")).toI4().value(), 2); // Ceaser
        EXPECT_FALSE(velloc->getProperty(QStringLiteral("ShowProgress")).toBool().value());
        const QImage picture =
            ControlHost::toPixmap(velloc->getProperty(QStringLiteral("Picture"))).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_FALSE(picture.isNull());
        EXPECT_EQ(picture, fileImage());
    }
    if (ControlHost* link = hostIn(form, "linkwellTxt")) {
        EXPECT_EQ(link->getProperty(QStringLiteral("Hyperlink")).toString().value(),
                  QStringLiteral("https://www.torvane.example/tides"));
        EXPECT_EQ(ControlHost::toColor(link->getProperty(QStringLiteral("ForeColor"))), QColor(200, 16, 32));
        EXPECT_EQ(ControlHost::toColor(link->getProperty(QStringLiteral("BackColor"))), QColor(240, 232, 200));
        const QFont font = ControlHost::toFont(link->getProperty(QStringLiteral("Font")));
        EXPECT_EQ(font.family(), QStringLiteral("Liberation Serif"));
        EXPECT_EQ(font.pointSize(), 14);
        EXPECT_TRUE(font.bold());
    }
}

} // namespace designertest
