#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

class QIODevice;

namespace simat::report {

// The objects of a PDF as Qt's writer makes it: objects one after another, one cross-reference
// table and its trailer at the end. Reads only the table and the page tree, so that a PDF of
// thousands of pages is never held whole; every object stays where it is in the device. Throws
// std::runtime_error when the device holds no such PDF.
class PdfObjects {
public:
    explicit PdfObjects(QIODevice &in);

    struct Entry {
        qint64 offset = 0; // of the next free object, for one that is free
        int generation = 0;
        bool used = false;
    };
    const QList<Entry> &entries() const { return m_entries; }
    qint64 tableOffset() const { return m_tableOffset; }
    // The trailer's dictionary, "<< … >>".
    const QByteArray &trailer() const { return m_trailer; }
    // The object of each page's content, in the order of the pages.
    const QList<int> &pageContents() const { return m_pageContents; }

    // "N G obj", the opening of the object.
    QByteArray openingOf(int object) const;
    // The text of an object from its "obj" up to its stream or its end, whichever comes first.
    QByteArray head(int object) const;
    // The bytes of an object's stream as they are stored, or nothing when it has none that can be
    // read; `head` is the object's head.
    std::optional<QByteArray> storedStream(int object, const QByteArray &head) const;

private:
    void readTable();
    void readPages(int object, int depth);
    int referenceAfter(const QByteArray &text, const char *key) const;
    qint64 offsetOf(int object) const;

    QIODevice &m_in;
    QList<Entry> m_entries;
    qint64 m_tableOffset = 0;
    QByteArray m_trailer;
    QList<int> m_pageContents;
};

} // namespace simat::report
