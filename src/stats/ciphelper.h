#pragma once

#include "platform/iftable.h"
#include "stats/cinterfaces.h"

#include <QByteArrayView>

#include <memory>

namespace tarvo {

// The statistics reader: reads the system's interface table into a new collection of
// records on every read of Interfaces() and totals the bytes received and sent over its
// rows. Every row becomes a record, but the rows the system flags as filter interfaces
// stay out of the totals: they repeat the counters of the adapter they are stacked on
// (loopback and interfaces that are down do count). It reports no error: a table that
// cannot be read gives an empty collection and totals of 0. The totals are 64-bit: they
// add each row's full octet counters where the table hands them over, else the row's
// 32-bit counters read as unsigned.
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

    static constexpr qint64 OffsetKeepMsecs = 60000;

    platform::IInterfaceTable& m_table;
    std::shared_ptr<CInterfaces> m_interfaces;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesSent = 0;
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
