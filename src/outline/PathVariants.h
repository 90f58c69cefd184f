// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shortened variants of a title path, scored without building them all.
// Internal to OutlineTree.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace tolvo {

/// The variants of a title path that miniComponentsSeparatedByString(path, "/")
/// gives, in the same order, held as the word lengths each one keeps: the
/// score of every variant comes from those lengths, and only a variant that is
/// tried is written out. Valid for paths of dotted titles joined with "/"
/// (no empty words inside a component; empty components allowed).
class PathVariants {
public:
    explicit PathVariants(const QString& path);

    /// The number of variants; the first is the path itself.
    int count() const { return int(m_steps.size()); }
    /// The mean distance of variant v's words from five characters.
    double score(int v) const;
    /// The components of variant v, empty ones left out.
    QStringList components(int v) const;
    /// Variant v as text.
    QString text(int v) const;

private:
    struct Word {
        QStringView text;
        std::vector<int> lengths; ///< the full length, then each shortened length in order
    };
    struct Part {
        bool dotted = false; ///< cut further at "."
        std::vector<Word> words; ///< one word for a part without "."
    };

    int lengthOf(const Part& part, const Word& word, int step) const;
    QString partText(const Part& part, int step) const;

    QString m_path;
    std::vector<Part> m_parts;
    std::vector<int> m_steps; ///< per variant, the step of the generator that gives it
};

} // namespace tolvo
