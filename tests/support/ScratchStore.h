// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scratch defaults store and notes for the document-window tests: each test starts from a fresh
// store in a temporary folder, which also stands in for the user's settings folder.

#include "document/MyDocument.h"
#include "document/NotesStore.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace tolvo::test {

struct ScratchStore {
    QTemporaryDir folder;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<NotesStore> notes;

    /// The page view and anything else that reaches for the standard store see this folder.
    void useAsConfigHome() const { qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path())); }
    QString path() const { return folder.filePath(QStringLiteral("test.json")); }
    QString notesFolder() const { return folder.filePath(QStringLiteral("notes")); }

    /// A store with nothing set and every default registered, and the notes over it.
    void renew()
    {
        notes.reset();
        defaults.reset();
        QFile::remove(path());
        QDir(notesFolder()).removeRecursively();
        defaults = std::make_unique<Defaults>(path());
        registerTolvoDefaults(*defaults);
        notes = std::make_unique<NotesStore>(*defaults, notesFolder());
    }
    void clear()
    {
        notes.reset();
        defaults.reset();
    }

    /// A document environment over this store and its notes.
    DocumentEnvironment environment() const
    {
        DocumentEnvironment env;
        env.defaults = defaults.get();
        env.notes = notes.get();
        return env;
    }
};

} // namespace tolvo::test
