#pragma once

#include <QFileInfo>
#include <QProcess>
#include <QString>

// Fixture files under tests/data.
inline QString testData(const QString &name)
{
    return QStringLiteral(KW_TEST_DATA "/") + name;
}

// The official schema, kept under tests/data.
inline QString pain008Schema()
{
    return QStringLiteral(KW_PAIN008_XSD);
}

// Validates a file with xmllint against the schema; out gets xmllint's output.
inline bool validatePain008(const QString &file, QString *out = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--schema"), pain008Schema(), file});
    p.waitForFinished(60000);
    if (out)
        *out = QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
