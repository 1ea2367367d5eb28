#pragma once

#include "platform/iftable.h"
#include "stats/cinterfaces.h"

#include <QByteArrayView>

#include <memory>
#include <vector>

namespace tarvo {

// The statistics reader: reads the system's interface table into a new collection of
// records on every read of Interfaces() and totals the bytes received and sent. Every row
// becomes a record, but the totals count each byte that crosses the machine's edge once
// (countedAtEdge: the adapters, else the interfaces of the default routes; never loopback,
// the virtual interfaces that repeat an adapter's bytes or the filter rows stacked on it).
// The first reading starts the totals at the counted rows' counters; every later one adds
// what each counted interface's counters grew by since the reading before, so an
// interface that comes, goes or is made again never makes the totals jump, and a table
// that cannot be read leaves them as they were (with an empty collection). The totals
// are 64-bit: they take each row's full octet counters where the table hands them over,
// else the row's 32-bit counters read as unsigned.
class CIpHelper final {
public:
    explicit CIpHelper(platform::IInterfaceTable& table);

    // Replaces the current collection; neither refreshes nor touches the totals.
    void setInterfaces(std::shared_ptr<CInterfaces> vData);
    // Re-reads the table into a new collection, makes it current and returns it. A
    // collection returned earlier stays valid but is never updated again.
    std::shared_ptr<CInterfaces> Interfaces();

    // Totals of the last refresh (0 before the first); reading them does not refresh.
    // Whole numbers, exact up to 2^53 bytes.
    double BytesReceived() const { return double(m_bytesReceived); }
    double BytesSent() const { return double(m_bytesSent); }

private:
    void RefreshInterfaces();
    // Fills the current collection from a fetched table; a table whose row count does not
    // fit in the bytes handed over is refused whole.
    void readTable(QByteArrayView table);

    qint64 localNowMsecs();
    // One row's counters in a reading, and whether the rule counts it.
    struct Reading {
        quint32 index = 0;
        quint64 in = 0;
        quint64 out = 0;
        bool wide = false; // full counters, not 32-bit ones
        bool counted = false;
    };
    // Adds a reading's counted rows to the totals and keeps the reading for the next.
    void count(std::vector<Reading> rows);

    static constexpr qint64 OffsetKeepMsecs = 60000;

    platform::IInterfaceTable& m_table;
    std::shared_ptr<CInterfaces> m_interfaces;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesSent = 0;
    bool m_counting = false;            // a reading has started the totals
    std::vector<Reading> m_lastReading; // its rows, for what the next one adds
    // Local time's offset from UTC, for LastChange.
    bool m_offsetKnown = false;
    qint64 m_utcOffsetMsecs = 0;
    qint64 m_offsetReadAt = 0;
};

// Row conversions of the reader, kept free so that they can be checked on their own.
namespace ifrowtext {

// bPhysAddr as "00-C-29-AB-5-10": "00" for a zero byte, otherwise upper-case hex without
// a leading zero; at most the 8 bytes of the field; empty for a length of 0 or less.
QString adapterAddress(const quint8* physAddr, qint32 length);

// The 256 description bytes from the ANSI code page, cut to the first `length`
// characters; a negative length gives an empty text.
QString description(const quint8* descr, qint32 length);

// dwLastChange is the system up-time, in hundredths of a second, at which the interface
// entered its present state. The boot moment is the current local time less the current
// up-time; adding the hundredths to it gives the change as a date-time (days since
// 30 December 1899 00:00, local time). 0 therefore means "since boot".
double lastChangeDate(quint32 hundredths, qint64 nowLocalMsecs, qint64 upTimeMsecs);

} // namespace ifrowtext

} // namespace tarvo
