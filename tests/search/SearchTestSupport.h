// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fixture access shared by the search tests.

#include "pdf/PdfDocument.h"

#include <QDir>
#include <QtTest>

#include <memory>

namespace tolvo::test {

inline QString fixture(const QString& name)
{
    return QDir(qEnvironmentVariable("TOLVO_FIXTURES")).filePath(name);
}

inline std::unique_ptr<pdf::Document> openFixture(const QString& name)
{
    pdf::OpenResult result = pdf::openDocument(fixture(name));
    if (!result.document)
        qWarning() << "cannot open" << name << result.error;
    return std::move(result.document);
}

} // namespace tolvo::test
