#include "stats/ciphelper.h"

#include "stats/edgerule.h"

#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QtEndian>
#include <QtNumeric>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace tarvo {

namespace {

using namespace runtime;
using namespace platform;

// A size beyond this is not a table but a fault of the source; refusing it keeps one bad
// answer from allocating gigabytes.
constexpr quint32 MaxTableBytes = 64u * 1024u * 1024u;

// 1970-01-01 is day 25569 of the date-time scale.
constexpr double UnixEpochDays = 25569.0;
constexpr double MsecsPerDay = 86400000.0;

qint32 field(const quint8* row, int offset) {
    return static_cast<qint32>(qFromLittleEndian<quint32>(row + offset));
}

QString interfaceName(const quint8* row) {
    constexpr qsizetype Units = 256;
    QString name(Units, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(row + ifrow::Name, Units, name.data());
    return name;
}

// Adds a counter to a total unless the sum would leave the signed 64-bit range.
void add(qint64& total, quint64 counter) {
    qint64 sum = 0;
    if (counter <= quint64(std::numeric_limits<qint64>::max()) &&
        !qAddOverflow(total, qint64(counter), &sum))
        total = sum;
}

// What a counter grew by between two readings. Full counters only grow: a smaller one was
// reset (its interface was made again) and counts from there. A 32-bit counter wraps at
// 2^32: a smaller reading is a wrap when the step forward across 2^32 is under half the
// range, and a reset otherwise.
quint64 growth(quint64 before, quint64 now, bool wide) {
    if (wide)
        return now >= before ? now - before : 0;
    const quint32 step = quint32(now) - quint32(before);
    return step < 0x80000000u ? step : 0;
}

// MIB_IF_OPER_STATUS: connected (a WAN link) or operational.
bool carriesTraffic(qint32 operStatus) {
    return operStatus == 4 || operStatus == 5;
}

// The system up-time from the monotonic clock, which counts from boot as the table's
// hundredths do.
qint64 upTimeMsecs() {
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

} // namespace

namespace ifrowtext {

QString adapterAddress(const quint8* physAddr, qint32 length) {
    QString text;
    if (length <= 0)
        return text;
    const int bytes = length > 8 ? 8 : length;
    for (int j = 0; j < bytes; ++j) {
        if (physAddr[j] == 0)
            text += QLatin1StringView("00");
        else
            text += QString::number(physAddr[j], 16).toUpper();
        text += QLatin1Char('-');
    }
    text.chop(1);
    return text;
}

QString description(const quint8* descr, qint32 length) {
    if (length < 0)
        return {};
    constexpr int Bytes = 256;
    // Plain ASCII reads the same in every ANSI code page; only other text needs the
    // code-page conversion.
    const bool ascii = std::all_of(descr, descr + Bytes, [](quint8 b) { return b < 0x80; });
    const QByteArrayView bytes(descr, Bytes);
    const QString all = ascii ? QString::fromLatin1(bytes) : fromAnsi(bytes);
    return all.left(length);
}

double lastChangeDate(quint32 hundredths, qint64 nowLocalMsecs, qint64 upTimeMsecs) {
    const qint64 bootLocalMsecs = nowLocalMsecs - upTimeMsecs;
    const qint64 changeMsecs = bootLocalMsecs + qint64(hundredths) * 10;
    return UnixEpochDays + double(changeMsecs) / MsecsPerDay;
}

} // namespace ifrowtext

CIpHelper::CIpHelper(platform::IInterfaceTable& table)
    : m_table(table) {}

// Finding the local offset asks the time-zone database (a file check on every call);
// the offset is kept for a minute, which is soon enough after a daylight-saving switch.
qint64 CIpHelper::localNowMsecs() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_offsetKnown || qAbs(now - m_offsetReadAt) > OffsetKeepMsecs) {
        m_utcOffsetMsecs = qint64(QDateTime::fromMSecsSinceEpoch(now).offsetFromUtc()) * 1000;
        m_offsetReadAt = now;
        m_offsetKnown = true;
    }
    return now + m_utcOffsetMsecs;
}

void CIpHelper::setInterfaces(std::shared_ptr<CInterfaces> vData) {
    m_interfaces = std::move(vData);
}

std::shared_ptr<CInterfaces> CIpHelper::Interfaces() {
    m_interfaces = std::make_shared<CInterfaces>();
    RefreshInterfaces();
    return m_interfaces;
}

void CIpHelper::RefreshInterfaces() {
    // Rows in the system's own order (sort flag false).
    quint32 size = 0;
    if (m_table.getIfTable(nullptr, &size, false) == ErrorNotSupported)
        return;
    if (size < IfTableHeaderBytes || size > MaxTableBytes)
        return;

    std::vector<quint8> buffer;
    if (!step([&] { buffer.resize(size); }))
        return;
    // No retry: a table that grew since the size query ends this refresh empty.
    quint32 filled = size;
    if (m_table.getIfTable(buffer.data(), &filled, false) != NoError)
        return;

    // Never trust the row count beyond the bytes that were actually handed over.
    const quint32 valid = filled < size ? filled : size;
    // A bad table is refused before any row is taken: the collection stays empty.
    readTable(QByteArrayView(buffer.data(), valid));
}

void CIpHelper::readTable(QByteArrayView table) {
    if (table.size() < qsizetype(IfTableHeaderBytes))
        return;
    const auto* bytes = reinterpret_cast<const quint8*>(table.data());
    const quint32 rows = qFromLittleEndian<quint32>(bytes);
    if (rows > (quint32(table.size()) - IfTableHeaderBytes) / IfRowBytes)
        return;
    if (rows == 0) {
        count({});
        return;
    }

    const qint64 nowLocal = localNowMsecs();
    const qint64 upTime = upTimeMsecs();
    CInterfaces& list = *m_interfaces;
    std::shared_ptr<CInterface> objInterface;
    std::array<quint8, IfRowBytes> row;
    std::vector<Reading> reading(rows);
    std::vector<EdgeRow> edge(rows);
    for (quint32 i = 0; i < rows; ++i) {
        std::memcpy(row.data(), bytes + IfTableHeaderBytes + i * IfRowBytes, IfRowBytes);
        const quint8* r = row.data();
        if (!objInterface)
            objInterface = std::make_shared<CInterface>();
        CInterface& rec = *objInterface;

        step([&] {
            rec.setInterfaceDescription(
                ifrowtext::description(r + ifrow::Descr, field(r, ifrow::DescrLen)));
        });
        step([&] {
            rec.setAdapterAddress(
                ifrowtext::adapterAddress(r + ifrow::PhysAddr, field(r, ifrow::PhysAddrLen)));
        });
        step([&] { rec.setInterfaceIndex(field(r, ifrow::Index)); });
        step([&] { rec.setInterfaceType(field(r, ifrow::Type)); });
        step([&] { rec.setMaximumTransmissionUnit(field(r, ifrow::Mtu)); });
        step([&] { rec.setSpeed(field(r, ifrow::Speed)); });
        step([&] { rec.setAdminStatus(field(r, ifrow::AdminStatus)); });
        step([&] { rec.setOperationalStatus(field(r, ifrow::OperStatus)); });
        step([&] {
            rec.setLastChange(
                ifrowtext::lastChangeDate(quint32(field(r, ifrow::LastChange)), nowLocal, upTime));
        });
        step([&] { rec.setOctetsReceived(field(r, ifrow::InOctets)); });
        step([&] { rec.setUnicastPacketsReceived(field(r, ifrow::InUcastPkts)); });
        step([&] { rec.setNonunicastPacketsReceived(field(r, ifrow::InNUcastPkts)); });
        step([&] { rec.setDiscardedIncomingPackets(field(r, ifrow::InDiscards)); });
        step([&] { rec.setIncomingErrors(field(r, ifrow::InErrors)); });
        step([&] { rec.setUnknownProtocolPackets(field(r, ifrow::InUnknownProtos)); });
        step([&] { rec.setOctetsSent(field(r, ifrow::OutOctets)); });
        step([&] { rec.setUnicastPacketsSent(field(r, ifrow::OutUcastPkts)); });
        step([&] { rec.setNonunicastPacketsSent(field(r, ifrow::OutNUcastPkts)); });
        step([&] { rec.setDiscardedOutgoingPackets(field(r, ifrow::OutDiscards)); });
        step([&] { rec.setOutgoingErrors(field(r, ifrow::OutErrors)); });
        step([&] { rec.setOutputQueueLength(field(r, ifrow::OutQLen)); });
        step([&] { rec.setInterfaceName(interfaceName(r)); });

        // The full counters where the table has them; a 32-bit counter is a count, never
        // negative.
        const auto index = quint32(field(r, ifrow::Index));
        const std::optional<IfOctets64> wide = m_table.octets64(index);
        reading[i] = {index, wide ? wide->in : quint32(field(r, ifrow::InOctets)),
                      wide ? wide->out : quint32(field(r, ifrow::OutOctets)), wide.has_value()};
        edge[i] = {index, m_table.role(index), carriesTraffic(field(r, ifrow::OperStatus))};

        step([&] { list.Add(objInterface); });
    }

    const std::vector<bool> counted =
        countedAtEdge(edge, [this](quint32 index) { return m_table.hasDefaultRoute(index); });
    for (quint32 i = 0; i < rows; ++i)
        reading[i].counted = counted[i];
    count(std::move(reading));
}

void CIpHelper::count(std::vector<Reading> rows) {
    for (const Reading& now : rows) {
        if (!now.counted)
            continue;
        if (!m_counting) {
            // A value that would take a total out of 64 bits is left out.
            add(m_bytesReceived, now.in);
            add(m_bytesSent, now.out);
            continue;
        }
        const auto before =
            std::find_if(m_lastReading.begin(), m_lastReading.end(),
                         [&](const Reading& last) { return last.index == now.index; });
        // An interface new since the last reading adds only what it moves from now on.
        if (before == m_lastReading.end())
            continue;
        const bool wide = before->wide && now.wide;
        add(m_bytesReceived, growth(before->in, now.in, wide));
        add(m_bytesSent, growth(before->out, now.out, wide));
    }
    m_counting = true;
    m_lastReading = std::move(rows);
}

} // namespace tarvo
