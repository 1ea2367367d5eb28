#pragma once

#include <QString>

#include <array>
#include <string_view>

namespace tarvo {

// One row of the system's interface table: a plain data holder that computes and checks
// nothing. Counters are the table's 32-bit fields read as signed values, so a counter at
// or above 2^31 reads negative.
class CInterface final {
public:
    // A property's name and the one-line description the class carries for it.
    struct PropertyInfo {
        std::string_view name;
        std::string_view description;
    };
    static constexpr int PropertyCount = 22;
    // The properties in the order of their dispatch slots (the reverse of storage order).
    static const std::array<PropertyInfo, PropertyCount>& properties();

    QString InterfaceDescription() const { return m_interfaceDescription; }
    void setInterfaceDescription(const QString& strNewValue) {
        m_interfaceDescription = strNewValue;
    }

    qint32 OutputQueueLength() const { return m_outputQueueLength; }
    void setOutputQueueLength(qint32 lngNewValue) { m_outputQueueLength = lngNewValue; }

    qint32 OutgoingErrors() const { return m_outgoingErrors; }
    void setOutgoingErrors(qint32 lngNewValue) { m_outgoingErrors = lngNewValue; }

    qint32 DiscardedOutgoingPackets() const { return m_discardedOutgoingPackets; }
    void setDiscardedOutgoingPackets(qint32 lngNewValue) {
        m_discardedOutgoingPackets = lngNewValue;
    }

    qint32 NonunicastPacketsSent() const { return m_nonunicastPacketsSent; }
    void setNonunicastPacketsSent(qint32 lngNewValue) { m_nonunicastPacketsSent = lngNewValue; }

    qint32 UnicastPacketsSent() const { return m_unicastPacketsSent; }
    void setUnicastPacketsSent(qint32 lngNewValue) { m_unicastPacketsSent = lngNewValue; }

    qint32 OctetsSent() const { return m_octetsSent; }
    void setOctetsSent(qint32 lngNewValue) { m_octetsSent = lngNewValue; }

    qint32 UnknownProtocolPackets() const { return m_unknownProtocolPackets; }
    void setUnknownProtocolPackets(qint32 lngNewValue) { m_unknownProtocolPackets = lngNewValue; }

    qint32 IncomingErrors() const { return m_incomingErrors; }
    void setIncomingErrors(qint32 lngNewValue) { m_incomingErrors = lngNewValue; }

    qint32 DiscardedIncomingPackets() const { return m_discardedIncomingPackets; }
    void setDiscardedIncomingPackets(qint32 lngNewValue) {
        m_discardedIncomingPackets = lngNewValue;
    }

    qint32 NonunicastPacketsReceived() const { return m_nonunicastPacketsReceived; }
    void setNonunicastPacketsReceived(qint32 lngNewValue) {
        m_nonunicastPacketsReceived = lngNewValue;
    }

    qint32 MaximumTransmissionUnit() const { return m_maximumTransmissionUnit; }
    void setMaximumTransmissionUnit(qint32 lngNewValue) { m_maximumTransmissionUnit = lngNewValue; }

    qint32 UnicastPacketsReceived() const { return m_unicastPacketsReceived; }
    void setUnicastPacketsReceived(qint32 lngNewValue) { m_unicastPacketsReceived = lngNewValue; }

    qint32 OctetsReceived() const { return m_octetsReceived; }
    void setOctetsReceived(qint32 lngNewValue) { m_octetsReceived = lngNewValue; }

    // Days since 30 December 1899 00:00 local time; the fraction is the time of day.
    double LastChange() const { return m_lastChange; }
    void setLastChange(double datNewValue) { m_lastChange = datNewValue; }

    qint32 OperationalStatus() const { return m_operationalStatus; }
    void setOperationalStatus(qint32 NewValue) { m_operationalStatus = NewValue; }

    qint32 AdminStatus() const { return m_adminStatus; }
    void setAdminStatus(qint32 NewValue) { m_adminStatus = NewValue; }

    QString AdapterAddress() const { return m_adapterAddress; }
    void setAdapterAddress(const QString& strNewValue) { m_adapterAddress = strNewValue; }

    qint32 Speed() const { return m_speed; }
    void setSpeed(qint32 lngNewValue) { m_speed = lngNewValue; }

    qint32 InterfaceType() const { return m_interfaceType; }
    void setInterfaceType(qint32 NewValue) { m_interfaceType = NewValue; }

    qint32 InterfaceIndex() const { return m_interfaceIndex; }
    void setInterfaceIndex(qint32 lngNewValue) { m_interfaceIndex = lngNewValue; }

    QString InterfaceName() const { return m_interfaceName; }
    void setInterfaceName(const QString& strNewValue) { m_interfaceName = strNewValue; }

private:
    // Storage order.
    QString m_interfaceName;
    qint32 m_interfaceIndex = 0;
    qint32 m_interfaceType = 0;
    qint32 m_speed = 0;
    QString m_adapterAddress;
    qint32 m_adminStatus = 0;
    qint32 m_operationalStatus = 0;
    double m_lastChange = 0.0;
    qint32 m_octetsReceived = 0;
    qint32 m_unicastPacketsReceived = 0;
    qint32 m_maximumTransmissionUnit = 0;
    qint32 m_nonunicastPacketsReceived = 0;
    qint32 m_discardedIncomingPackets = 0;
    qint32 m_incomingErrors = 0;
    qint32 m_unknownProtocolPackets = 0;
    qint32 m_octetsSent = 0;
    qint32 m_unicastPacketsSent = 0;
    qint32 m_nonunicastPacketsSent = 0;
    qint32 m_discardedOutgoingPackets = 0;
    qint32 m_outgoingErrors = 0;
    qint32 m_outputQueueLength = 0;
    QString m_interfaceDescription;
};

} // namespace tarvo
