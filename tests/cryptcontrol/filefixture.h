#pragma once

// An encryption control loaded from the built library, with its progress window off, and a
// scratch folder for the files its operations rewrite.
#include "recordinghost.h"
#include "testsupport.h"
#include "velloc.h"

#include <gtest/gtest.h>

struct FileFixture : ::testing::Test {
    void SetUp() override
    {
        host = testsupport::RecordingHost::with(QStringLiteral(VELPACK_MODULE), velpack::Velloc::Clsid);
        ASSERT_TRUE(host);
        ASSERT_TRUE(host->put(velpack::dispids::ShowProgress, velloc::Variant::fromBool(false)).ok());
        host->log.clear();
    }

    QString file(const QByteArray& content, const QString& name = QStringLiteral("data.bin"))
    {
        const QString path = dir.path(name);
        testsupport::writeAll(path, content);
        EXPECT_TRUE(host->put(velpack::dispids::File, velloc::Variant::fromString(path)).ok());
        host->log.clear();
        return path;
    }

    void run(velloc::DispId op)
    {
        velloc::Result<velloc::Variant> r = host->call(op);
        ASSERT_TRUE(r.ok()) << r.error().number() << " " << r.error().message().toStdString();
        EXPECT_EQ(r->type(), velloc::VarType::Bool);
        EXPECT_FALSE(r->boolean()) << "the file operations return false in every case";
    }

    testsupport::ScratchDir dir;
    std::unique_ptr<testsupport::RecordingHost> host;
};
