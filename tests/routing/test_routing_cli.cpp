// SPDX-License-Identifier: GPL-3.0-or-later
// tolvo-cli prefix --assign, routes, resolve URL, check and the default prefix,
// run as separate processes over a temporary home folder and store.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ToolSandbox.h"

#include <memory>
#include <vector>

class TestRoutingCli : public QObject {
    Q_OBJECT

    std::unique_ptr<tolvo::test::ToolSandbox> m_home;

    struct Run {
        int code;
        QString out;
        QString err;
    };

    QString home(const QString& relative = QString()) const { return m_home->path(relative); }
    QString storePath() const { return m_home->storePath(); }

    std::unique_ptr<QProcess> start(const QStringList& args) const { return m_home->start("tolvo-cli", args); }
    static Run finish(QProcess& p)
    {
        const tolvo::test::ToolRun r = tolvo::test::ToolSandbox::finish(p);
        return { r.code, r.outText(), r.errText() };
    }
    Run run(const QStringList& args) const { return finish(*start(args)); }

    // The fixture as a document of its own: its permanent identifier made from the copy's
    // name (same length, so the file stays valid), and a comment after its end naming the
    // copy. Copies of one document would stand in for each other when one of them is gone.
    QString copyBook(const QString& relative) const
    {
        QFile book(qEnvironmentVariable("TOLVO_FIXTURES") + "/routing/Book.pdf");
        if (!book.open(QIODevice::ReadOnly))
            qFatal("no fixture %s", qPrintable(book.fileName()));
        QByteArray bytes = book.readAll();
        const qsizetype id = bytes.lastIndexOf("/ID[<");
        if (id < 0)
            qFatal("the fixture has no identifier");
        const QByteArray own = QCryptographicHash::hash(relative.toUtf8(), QCryptographicHash::Md5).toHex().toUpper();
        bytes.replace(id + 5, own.size(), own);
        return write(relative, bytes + "% copy " + relative.toUtf8() + "\n");
    }
    // Another document written over a file, as an editor would leave it.
    void replaceWithAnotherDocument(const QString& relative) const
    {
        QVERIFY(QFile::remove(home(relative)));
        copyBook(relative + ".other");
        QVERIFY(QFile::rename(home(relative + ".other"), home(relative)));
    }
    QString write(const QString& relative, const QByteArray& bytes) const
    {
        const QString to = home(relative);
        QDir().mkpath(QFileInfo(to).absolutePath());
        QFile f(to);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(to));
        return to;
    }
    QJsonObject store() const
    {
        QFile f(storePath());
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
    }
    QJsonObject routing() const { return store().value("routingDictionarySandboxed").toObject(); }
    void editStore(const std::function<void(QJsonObject&)>& edit) const
    {
        QJsonObject s = store();
        edit(s);
        write("config/Tolvo/defaults.json", QJsonDocument(s).toJson());
    }
    QHash<QString, QJsonObject> routes() const
    {
        const Run r = run({ "routes", "--json" });
        QHash<QString, QJsonObject> byPrefix;
        for (const QJsonValue& v : QJsonDocument::fromJson(r.out.toUtf8()).array())
            byPrefix.insert(v["prefix"].toString(), v.toObject());
        return byPrefix;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<tolvo::test::ToolSandbox>();
        QVERIFY(m_home->isValid());
    }

    void concurrentAssignsKeepEveryEntry()
    {
        const int perRound = 6;
        QStringList expected;
        for (int round = 0; round < 3; ++round) {
            std::vector<std::unique_ptr<QProcess>> running;
            for (int i = 0; i < perRound; ++i) {
                const QString name = QStringLiteral("r%1-%2").arg(round).arg(i);
                const QString file = write("papers/" + name + ".pdf", "%PDF-1.4\n" + name.toUtf8());
                running.push_back(start({ "prefix", "--assign", name, file }));
                expected << name + "/";
            }
            for (auto& p : running) {
                const Run r = finish(*p);
                QCOMPARE(r.code, 0);
                QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
            }
        }
        QStringList stored = routing().keys();
        expected.sort();
        QCOMPARE(stored, expected);
        for (const QString& key : stored)
            QCOMPARE(routing().value(key)["path"].toString(), home("papers/" + key.chopped(1) + ".pdf"));
    }

    void assign_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::newRow("made prefix-safe") << QStringList { "My Book", "Book.pdf" } << 0 << "My.Book/\n";
        QTest::newRow("with slash") << QStringList { "a/b", "Book.pdf" } << 0 << "a/b/\n";
        QTest::newRow("dash prefix after --") << QStringList { "--", "-x", "Book.pdf" } << 0 << "x/\n";
        QTest::newRow("nothing of the prefix left") << QStringList { "!!!", "Book.pdf" } << 1 << "";
        QTest::newRow("no such file") << QStringList { "b", "nothing.pdf" } << 1 << "";
        QTest::newRow("not a PDF") << QStringList { "b", "notes.txt" } << 1 << "";
        QTest::newRow("a folder") << QStringList { "b", "papers" } << 1 << "";
        QTest::newRow("FILE missing") << QStringList { "b" } << 2 << "";
        QTest::newRow("three operands") << QStringList { "a", "Book.pdf", "x" } << 2 << "";
        QTest::newRow("unknown option") << QStringList { "--json", "a", "Book.pdf" } << 2 << "";
    }
    void assign()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        copyBook("Book.pdf");
        write("notes.txt", "plain text");
        QDir(home()).mkpath("papers");
        const Run r = run(QStringList { "prefix", "--assign" } + args);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        QCOMPARE(r.err.isEmpty(), code == 0);
        if (code == 0)
            QCOMPARE(routing().value(out.chopped(1))["path"].toString(), home("Book.pdf"));
        else
            QVERIFY(routing().isEmpty());
    }

    void routesSayWhatIsGone()
    {
        for (const char* name : { "ok", "moved", "missing", "stale" })
            QCOMPARE(run({ "prefix", "--assign", name, copyBook(QStringLiteral("papers/%1.pdf").arg(name)) }).code, 0);
        editStore([](QJsonObject& s) {
            QJsonObject table = s["routingDictionarySandboxed"].toObject();
            table["invalid/"] = QJsonObject { { "name", 3 } };
            s["routingDictionarySandboxed"] = table;
        });
        QVERIFY(QDir(home()).mkpath("Documents/2019"));
        QVERIFY(QFile::rename(home("papers/moved.pdf"), home("Documents/2019/Renamed Book.pdf")));
        QVERIFY(QFile::remove(home("papers/missing.pdf")));
        replaceWithAnotherDocument("papers/stale.pdf");

        const QHash<QString, QJsonObject> first = routes();
        QCOMPARE(first.size(), 5);
        const auto check = [](const QJsonObject& o, const char* state, const QString& path) {
            QCOMPARE(o["state"].toString(), QString::fromLatin1(state));
            QCOMPARE(o["path"].toString(), path);
        };
        check(first["ok/"], "ok", home("papers/ok.pdf"));
        check(first["moved/"], "moved", home("Documents/2019/Renamed Book.pdf"));
        check(first["missing/"], "missing", home("papers/missing.pdf"));
        check(first["stale/"], "stale", home("papers/stale.pdf"));
        check(first["invalid/"], "invalid", QString());
        // The moved entry was renewed: the next look finds it in place.
        check(routes()["moved/"], "ok", home("Documents/2019/Renamed Book.pdf"));

        const Run plain = run({ "routes" });
        QCOMPARE(plain.code, 0);
        QVERIFY(plain.out.contains("stale/\tstale\t" + home("papers/stale.pdf") + "\n"));
    }

    void resolveURL_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("reading");
        QTest::newRow("toc link") << "tolvo://book/sampl/" << 0 << "toc";
        QTest::newRow("page link") << "tolvo://book/ii/" << 0 << "page";
        QTest::newRow("location link") << "tolvo://book/2/@loc/72x/500y/" << 0 << "location";
        QTest::newRow("whole PDF") << "tolvo://book/" << 0 << "none";
        QTest::newRow("percent-encoded prefix") << "tolvo://bo%6Fk/ii/" << 0 << "page";
        QTest::newRow("percent-encoded target") << "tolvo://book/i%69/" << 0 << "page";
        QTest::newRow("no key fits") << "tolvo://other/1/" << 3 << "";
        QTest::newRow("case matters") << "tolvo://Book/1/" << 3 << "";
        QTest::newRow("its PDF is gone") << "tolvo://gone/1/" << 3 << "";
        QTest::newRow("another PDF at its path") << "tolvo://replaced/1/" << 3 << "";
    }
    void resolveURL()
    {
        QFETCH(QString, url);
        QFETCH(int, code);
        QFETCH(QString, reading);
        QCOMPARE(run({ "prefix", "--assign", "book", copyBook("papers/Book.pdf") }).code, 0);
        QCOMPARE(run({ "prefix", "--assign", "gone", copyBook("papers/Gone.pdf") }).code, 0);
        QCOMPARE(run({ "prefix", "--assign", "replaced", copyBook("papers/Replaced.pdf") }).code, 0);
        QVERIFY(QFile::remove(home("papers/Gone.pdf")));
        replaceWithAnotherDocument("papers/Replaced.pdf");
        // The PDF was renamed and moved to another folder under home after its prefix was stored.
        QVERIFY(QDir(home()).mkpath("Downloads/old"));
        QVERIFY(QFile::rename(home("papers/Book.pdf"), home("Downloads/old/The Book (2nd copy).pdf")));

        const Run r = run({ "resolve", url, "--json" });
        QCOMPARE(r.code, code);
        if (code != 0) {
            QVERIFY(r.err.startsWith("Unable to locate PDF\n"));
            QVERIFY(r.out.isEmpty());
            return;
        }
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(o["reading"].toString(), reading);
        QCOMPARE(o["file"].toString(), home("Downloads/old/The Book (2nd copy).pdf"));
        QCOMPARE(o["prefix"].toString(), QStringLiteral("book/"));
    }

    void longestFittingKeyOnly()
    {
        // book/x/ names a PDF of its own: book/ never takes its links, even when book/x/'s PDF is gone.
        QCOMPARE(run({ "prefix", "--assign", "book", copyBook("a.pdf") }).code, 0);
        QCOMPARE(run({ "prefix", "--assign", "book/x", copyBook("b.pdf") }).code, 0);
        Run r = run({ "resolve", "tolvo://book/x/ii/", "--json" });
        QCOMPARE(r.code, 0);
        QCOMPARE(QJsonDocument::fromJson(r.out.toUtf8()).object()["file"].toString(), home("b.pdf"));
        QVERIFY(QFile::remove(home("b.pdf")));
        QCOMPARE(run({ "resolve", "tolvo://book/x/ii/" }).code, 3);
        QCOMPARE(run({ "resolve", "tolvo://book/ii/" }).code, 0);
    }

    void check()
    {
        QCOMPARE(run({ "prefix", "--assign", "book", copyBook("Documents/Book.pdf") }).code, 0);
        write("notes/a.md",
            "# Reading\n\nSee [Sampling](tolvo://book/sampl/) and tolvo://book/zzz/.\n"
            "Also <tolvo://lost/3/>\n"
            "Then [A](<tolvo://book/ii x/>) and tolvo://book/i%69/ and [B](<tolvo://book/s\\>ampl/>)\n");
        write("notes/b.html", "<html><body>\n<p><a href=\"tolvo://book/ii/\">book/ii/</a></p>\n</body></html>\n");
        write("notes/c.rtf",
            "{\\rtf1\\ansi\n{\\field{\\*\\fldinst{HYPERLINK \"tolvo://book/results/\"}}"
            "{\\fldrslt tolvo://book/results/}}\\par\n}\n");
        editStore([](QJsonObject& s) {
            s["sharedNotes2"] = "<html><body>\n\n<p><a href=\"tolvo://book/\">whole</a></p></body></html>";
        });

        const Run r = run({ "check", "--json", "--notes", "notes/a.md", "notes/b.html", "notes/c.rtf" });
        QCOMPARE(r.code, 3); // broken links
        QStringList seen;
        for (const QJsonValue& v : QJsonDocument::fromJson(r.out.toUtf8()).array())
            seen << QStringLiteral("%1:%2 %3 %4")
                        .arg(v["file"].toString())
                        .arg(v["line"].toInt())
                        .arg(v["state"].toString(), v["url"].toString());
        const QStringList expected {
            "notes/a.md:3 ok tolvo://book/sampl/",
            "notes/a.md:3 no-place tolvo://book/zzz/",
            "notes/a.md:4 no-pdf tolvo://lost/3/",
            // The whole address in angle brackets, not the part before its blank.
            "notes/a.md:5 no-place tolvo://book/ii x/",
            "notes/a.md:5 ok tolvo://book/i%69/",
            "notes/a.md:5 no-place tolvo://book/s>ampl/",
            "notes/b.html:2 ok tolvo://book/ii/",
            "notes/c.rtf:2 ok tolvo://book/results/",
            "sharedNotes2:3 ok tolvo://book/",
        };
        // The notes areas also hold the welcome text's own links; those are not ours to judge here.
        for (const QString& line : expected)
            QVERIFY2(seen.contains(line), qPrintable(seen.join('\n')));

        const Run allGood = run({ "check", "notes/b.html", "notes/c.rtf" });
        QCOMPARE(allGood.code, 0);
        QCOMPARE(allGood.out, "notes/b.html:2: ok tolvo://book/ii/\nnotes/c.rtf:2: ok tolvo://book/results/\n");

        // Placeholders in a file name are text.
        write("notes/notes%2.md", "<tolvo://book/ii/>\n");
        QCOMPARE(run({ "check", "notes/notes%2.md" }).out, "notes/notes%2.md:1: ok tolvo://book/ii/\n");

        QCOMPARE(run({ "check" }).code, 2);
        QCOMPARE(run({ "check", "notes/none.md" }).code, 1);
    }

    // Every rendering tolvo-cli link writes is read back by check and resolve as the link it is,
    // and lands where it was made: labels with a blank, and titles that hold page labels.
    void renderingsComeBack_data()
    {
        QTest::addColumn<QStringList>("place"); // the link command's option and its value
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("pageLabel");
        QTest::newRow("page with a blank") << QStringList { "--page", "Cover Page" } << "page"
                                           << "Cover Page";
        QTest::newRow("page 1 beside the title 1 Introduction") << QStringList { "--page", "1" } << "page"
                                                                << "1";
        QTest::newRow("page 2 beside the title 2 Results") << QStringList { "--page", "2" } << "page"
                                                           << "2";
        QTest::newRow("TOC entry holding a page label") << QStringList { "--toc", "1.intro" } << "toc"
                                                        << "1";
        QTest::newRow("TOC entry titled like a page") << QStringList { "--toc", "cover.page" } << "toc"
                                                      << "Cover Page";
    }
    void renderingsComeBack()
    {
        QFETCH(QStringList, place);
        QFETCH(QString, reading);
        QFETCH(QString, pageLabel);
        QFile fixture(qEnvironmentVariable("TOLVO_FIXTURES") + "/routing/Cover.pdf");
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        const QString pdf = write("papers/Cover.pdf", fixture.readAll());
        QCOMPARE(run({ "prefix", "--assign", "cov", pdf }).code, 0);
        const Run url = run(QStringList { "link", pdf } + place);
        QCOMPARE(url.code, 0);
        const QString link = url.out.trimmed();

        const Run resolved = run({ "resolve", link, "--json" });
        QCOMPARE(resolved.code, 0);
        const QJsonObject o = QJsonDocument::fromJson(resolved.out.toUtf8()).object();
        QCOMPARE(o["reading"].toString(), reading);
        QCOMPARE(o["pageLabel"].toString(), pageLabel);

        const QList<std::pair<QString, QString>> formats
            = { { "url", "txt" }, { "markdown", "md" }, { "html", "html" }, { "rtf", "rtf" } };
        for (const auto& [format, extension] : formats) {
            const Run written = run(QStringList { "link", pdf, "--format", format } + place);
            QCOMPARE(written.code, 0);
            const QString file = "notes/link." + extension;
            write(file, written.out.toUtf8());
            const Run checked = run({ "check", "--json", file });
            const QJsonArray found = QJsonDocument::fromJson(checked.out.toUtf8()).array();
            QVERIFY2(checked.code == 0 && found.size() == 1, qPrintable(format + ": " + checked.out));
            QCOMPARE(found[0]["url"].toString(), link);
            QCOMPARE(found[0]["state"].toString(), QStringLiteral("ok"));
        }
    }

    void defaultPrefixComesFromTheRegistry()
    {
        const QString routed = copyBook("Book.pdf");
        copyBook("Second Copy.pdf");
        QCOMPARE(run({ "prefix", "--assign", "my book", routed }).code, 0);
        QVERIFY(run({ "toc", "Book.pdf" }).out.contains("\ttolvo://my.book/meth/\n"));
        // A PDF without a prefix gets one from its name, stored so that the links printed open it.
        QVERIFY(run({ "toc", "Second Copy.pdf" }).out.contains("\ttolvo://Second.Copy/meth/\n"));
        QVERIFY(routing().contains("Second.Copy/"));
        QVERIFY(run({ "toc", "Book.pdf", "--prefix", "given" }).out.contains("\ttolvo://given/meth/\n"));
        QVERIFY(!routing().contains("given/")); // a prefix given for one run is not stored
    }

    void linkStoresItsPrefix_data()
    {
        QTest::addColumn<QStringList>("args"); // after "link FILE"
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("page") << QStringList { "--page", "ii" } << "tolvo://Book/ii/\n" << QStringList { "Book/" };
        QTest::newRow("whole") << QStringList { "--whole" } << "tolvo://Book/\n" << QStringList { "Book/" };
        QTest::newRow("given prefix") << QStringList { "--page", "ii", "--prefix", "mine" } << "tolvo://mine/ii/\n"
                                      << QStringList {};
        QTest::newRow("no such page stores nothing") << QStringList { "--page", "99" } << "" << QStringList {};
    }
    void linkStoresItsPrefix()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QFETCH(QStringList, stored);
        copyBook("Book.pdf");
        QCOMPARE(run(QStringList { "link", "Book.pdf" } + args).out, out);
        QCOMPARE(routing().keys(), stored);
        if (stored.isEmpty())
            return;
        // The stored prefix leads back to the file, and a second link reuses it.
        QCOMPARE(run(QStringList { "link", "Book.pdf" } + args).out, out);
        QCOMPARE(routing().keys(), stored);
        QCOMPARE(run({ "resolve", out.trimmed() }).code, 0);
    }
};

QTEST_GUILESS_MAIN(TestRoutingCli)
#include "test_routing_cli.moc"
