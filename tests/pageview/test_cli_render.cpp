// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli render, run as a separate process over a temporary store.
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ToolSandbox.h"

class TestCliRender : public QObject {
    Q_OBJECT

    tolvo::test::ToolSandbox m_home;
    QTemporaryDir m_out;

    static QString fixture(const QString& name) { return tolvo::test::fixturePath(name); }

    int run(const QStringList& args, QString* err = nullptr) const
    {
        const tolvo::test::ToolRun r = m_home.cli(args);
        if (err)
            *err = r.errText();
        return r.code;
    }

    void setOption(const char* key, const QString& value)
    {
        tolvo::Defaults defaults(m_home.storePath());
        tolvo::registerTolvoDefaults(defaults);
        defaults.setValue(QString::fromLatin1(key), value);
        QVERIFY(defaults.synchronize());
    }

    static bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

private slots:
    void drawsThePageWithItsBox_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("redCorner"); // of the image: TL, TR, BL, BR, or none
        QTest::newRow("plain, bottom right") << "geometry.pdf"
                                             << "1" << 72 << "Bottom Right" << QSize(612, 792) << "BR";
        QTest::newRow("plain, top left, 144 dpi") << "geometry.pdf"
                                                  << "1" << 144 << "Top Left" << QSize(1224, 1584) << "TL";
        QTest::newRow("turned 90: the unrotated corner") << "geometry.pdf"
                                                         << "2" << 72 << "Bottom Right" << QSize(792, 612) << "BL";
        QTest::newRow("cropped away from the origin") << "geometry.pdf"
                                                      << "5" << 72 << "Top Right" << QSize(350, 500) << "TR";
        QTest::newRow("hidden") << "geometry.pdf"
                                << "1" << 72 << "Hide" << QSize(612, 792) << "none";
        QTest::newRow("roman label, first of two") << "labels.pdf"
                                                   << "iii" << 36 << "Bottom Left" << QSize(306, 396) << "BL";
    }
    void drawsThePageWithItsBox()
    {
        QFETCH(QString, file);
        QFETCH(QString, label);
        QFETCH(int, dpi);
        QFETCH(QString, location);
        QFETCH(QSize, size);
        QFETCH(QString, redCorner);
        setOption(tolvo::keys::kRedBoxLocation, location);
        const QString out = m_out.filePath(QStringLiteral("page.png"));
        QFile::remove(out);
        QString err;
        QCOMPARE(run({ QStringLiteral("render"), fixture(file), QStringLiteral("--page"), label,
                         QStringLiteral("--dpi"), QString::number(dpi), QStringLiteral("--prefix"),
                         QStringLiteral("fx/"), QStringLiteral("-o"), out },
                     &err),
            0);
        const QImage image(out);
        QCOMPARE(image.size(), size);
        const int w = image.width(), h = image.height();
        const QPoint corners[] = { { 2, 2 }, { w - 3, 2 }, { 2, h - 3 }, { w - 3, h - 3 } };
        const QStringList names = { "TL", "TR", "BL", "BR" };
        for (int i = 0; i < 4; ++i)
            QVERIFY2(isRed(image.pixel(corners[i])) == (names[i] == redCorner), qPrintable(names[i]));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString pdf = fixture(QStringLiteral("geometry.pdf"));
        const QString out = QDir::temp().filePath(QStringLiteral("tolvo-render-never-written.png"));
        QTest::newRow("no such label") << QStringList { pdf, "--page", "xiv", "-o", out } << 3 << "labelled 'xiv'";
        QTest::newRow("not a PDF") << QStringList { fixture("not-a-pdf.pdf"), "--page", "1", "-o", out } << 1 << "";
        QTest::newRow("gone") << QStringList { "/nonexistent/file.pdf", "--page", "1", "-o", out } << 1 << "";
        QTest::newRow("zero dpi") << QStringList { pdf, "--page", "1", "--dpi", "0", "-o", out } << 2 << "--dpi";
        QTest::newRow("dpi not a number")
            << QStringList { pdf, "--page", "1", "--dpi", "x", "-o", out } << 2 << "--dpi";
        QTest::newRow("no output") << QStringList { pdf, "--page", "1" } << 2 << "-o";
        QTest::newRow("no page") << QStringList { pdf, "-o", out } << 2 << "--page";
        QTest::newRow("no file") << QStringList { "--page", "1", "-o", out } << 2 << "FILE";
        QTest::newRow("value missing") << QStringList { pdf, "-o", out, "--page" } << 2 << "needs a value";
        QTest::newRow("unknown option") << QStringList { pdf, "--page", "1", "--zoom", "-o", out } << 2 << "--zoom";
        QTest::newRow("unwritable output")
            << QStringList { pdf, "--page", "1", "-o", "/nonexistent/dir/x.png" } << 1 << "cannot write";
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        QString err;
        QCOMPARE(run(QStringList { QStringLiteral("render") } + args, &err), code);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(!QFile::exists(QDir::temp().filePath(QStringLiteral("tolvo-render-never-written.png"))));
    }
};

QTEST_GUILESS_MAIN(TestCliRender)
#include "test_cli_render.moc"
