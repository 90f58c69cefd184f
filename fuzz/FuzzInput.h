#pragma once
// Reads a fuzzer's bytes as the choices a caller makes: small numbers, picks from a list, and
// strings; past the end every read gives zero or nothing, so any input is a whole program.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

/// Aborts when a promise does not hold, naming its line: checks are inlined, so the stack trace
/// of the abort gives none.
#define TOLVO_FUZZ_CHECK(promise) ::tolvo::fuzz::checkPromise((promise), __FILE__, __LINE__)

namespace tolvo::fuzz {

inline void checkPromise(bool promise, const char* file, int line)
{
    if (promise)
        return;
    std::fprintf(stderr, "promise broken at %s:%d\n", file, line);
    std::abort();
}

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    bool atEnd() const { return m_pos >= m_size; }
    uint8_t byte() { return atEnd() ? 0 : m_data[m_pos++]; }
    /// A number below bound (bound > 0).
    int below(int bound)
    {
        if (bound <= 256)
            return byte() % bound;
        const int high = byte();
        return ((high << 8) | byte()) % bound;
    }
    bool flag() { return byte() & 1; }
    const QString& pick(const QStringList& list) { return list[below(int(list.size()))]; }
    /// Up to maxBytes bytes, the first telling how many.
    QByteArray bytes(int maxBytes)
    {
        const int n = std::min(below(maxBytes + 1), int(m_size - std::min(m_pos, m_size)));
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), n);
        m_pos += size_t(n);
        return out;
    }
    /// Text as UTF-16 units taken two bytes at a time, so that lone surrogates and every control
    /// character come up too.
    QString utf16(int maxUnits)
    {
        const QByteArray raw = bytes(maxUnits * 2);
        return QString(reinterpret_cast<const QChar*>(raw.constData()), raw.size() / 2);
    }
    /// The rest of the input.
    QByteArray rest()
    {
        QByteArray out(reinterpret_cast<const char*>(m_data + std::min(m_pos, m_size)),
            qsizetype(m_size - std::min(m_pos, m_size)));
        m_pos = m_size;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace tolvo::fuzz
