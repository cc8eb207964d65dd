// Which serial ports are probed and in which order, fed with serial map values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "handset_link.h"
#include "port_order.h"

namespace porvesk::test {
namespace {

constexpr uint32_t kValueTypeBinary = 3;
constexpr uint32_t kValueTypeDword = 4;

PortList Ports(std::initializer_list<int> numbers) {
    PortList ports;
    for (int number : numbers) ports.push_back(static_cast<SerloxIDTag>(number));
    return ports;
}

TEST(CommNameToSerloxID, ConvertsComTextsInRangeOnly) {
    struct Case {
        std::string data;  // given with its exact length
        int expected;
    };
    const Case cases[] = {
        {std::string("COM1\0", 5), 1},
        {std::string("COM30\0", 6), 30},
        {std::string("COM31\0", 6), 0},
        {std::string("COM0\0", 5), 0},
        {std::string("COMx\0", 5), 0},
        {std::string("COM\0", 4), 0},
        {std::string("COM12abc\0", 9), 12},
        {std::string("COM7\0junk", 9), 7},
        {"COM4", 4},  // no terminating zero
        {"COM", 0},
        {"com5", 0},
        {"XCOM5", 0},
        {"COM-3", 0},
        {"COM 9", 9},
        {"COM99999999999999999999", 0},
        {"COM4294967297", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        EXPECT_EQ(CommNameToSerloxID(c.data.data(), static_cast<int>(c.data.size())), c.expected);
    }
}

TEST(CommNameToSerloxID, ReadsOnlyTheGivenLength) {
    EXPECT_EQ(CommNameToSerloxID("COM12", 4), 1);
    EXPECT_EQ(CommNameToSerloxID("COM12", 3), 0);
    EXPECT_EQ(CommNameToSerloxID(nullptr, 5), 0);
    EXPECT_EQ(CommNameToSerloxID("COM5", -1), 0);
}

TEST(PortFromNumberText, AcceptsPortsOneToThirty) {
    struct Case {
        const char* text;
        int expected;
    };
    for (const Case& c : {Case{"1", 1}, Case{"30", 30}, Case{"0", 0}, Case{"31", 0}, Case{"text", 0}, Case{"", 0},
                          Case{"-4", 0}, Case{"12abc", 12}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PortFromNumberText(c.text), c.expected);
    }
}

// A value whose data fills the whole buffer without a terminating zero, as a
// read of a longer value leaves it.
SerialMapValue OverlongValue(const std::string& name, const std::string& start, uint32_t reportedLength) {
    SerialMapValue value =
        TypedValue(name, kValueTypeString, start + std::string(kValueDataBufferSize - start.size(), ' '));
    value.reportedLength = reportedLength;
    return value;
}

TEST(OrderSerialPorts, OrdersPhonePortsFirstThenStandardPorts) {
    struct Case {
        const char* title;
        std::vector<SerialMapValue> values;
        PortList expected;
    };
    const Case cases[] = {
        {"mixed example",
         {StringValue("\\Device\\Serial0", "COM1"), StringValue("\\Device\\USBSER000", "COM5"),
          StringValue("\\Device\\Serial1", "COM2"), StringValue("\\Device\\vcommusb0", "COM7")},
         Ports({7, 5, 2, 1})},
        {"standard ports 3 1 2",
         {StringValue("\\Device\\Serial2", "COM3"), StringValue("\\Device\\Serial0", "COM1"),
          StringValue("\\Device\\Serial1", "COM2")},
         Ports({3, 1, 2})},
        {"standard ports 1 2 3",
         {StringValue("\\Device\\Serial0", "COM1"), StringValue("\\Device\\Serial1", "COM2"),
          StringValue("\\Device\\Serial2", "COM3")},
         Ports({3, 2, 1})},
        {"two phone ports and a standard port",
         {StringValue("\\Device\\USBSER000", "COM8"), StringValue("\\Device\\USBSER001", "COM9"),
          StringValue("\\Device\\Serial0", "COM1")},
         Ports({9, 8, 1})},
        {"every phone driver prefix",
         {StringValue("\\Device\\vcommusb1", "COM11"), StringValue("\\Device\\ASCDC_VID_1234", "COM12"),
          StringValue("\\Device\\USBSER002", "COM13"), StringValue("\\Device\\AITSerial0", "COM14"),
          StringValue("\\Device\\qkkm3cdc0", "COM15"), StringValue("\\Device\\qkkm20cd0", "COM16")},
         Ports({16, 15, 14, 13, 12, 11})},
        {"phone port of a non-string type still counts",
         {TypedValue("\\Device\\USBSER000", kValueTypeBinary, "COM6")},
         Ports({6})},
        {"value named COM4 of any type is a standard port",
         {StringValue("\\Device\\Serial0", "COM1"), TypedValue("COM4", kValueTypeDword, "COM4")},
         Ports({4, 1})},
        {"standard port name of a non-string type is ignored",
         {TypedValue("\\Device\\Serial3", kValueTypeBinary, "COM4"), StringValue("\\Device\\Serial0", "COM1")},
         Ports({1})},
        {"other device names are ignored",
         {StringValue("\\Device\\Modem0", "COM3"), StringValue("\\device\\serial0", "COM2"),
          StringValue("Device\\USBSER000", "COM4"), StringValue("\\Device\\Serial0", "COM1")},
         Ports({1})},
        {"out of range and bare COM are skipped",
         {StringValue("\\Device\\Serial0", "COM31"), StringValue("\\Device\\USBSER000", "COM"),
          StringValue("\\Device\\Serial1", "COM2"), StringValue("\\Device\\USBSER001", "COM0")},
         Ports({2})},
        {"equal standard port goes to the end",
         {StringValue("\\Device\\Serial0", "COM2"), StringValue("\\Device\\Serial1", "COM2"),
          StringValue("\\Device\\Serial2", "COM1")},
         Ports({2, 2, 1})},
        {"overlong data is examined within the buffer",
         {OverlongValue("\\Device\\USBSER000", "COM5", 400), OverlongValue("\\Device\\Serial0", "COM3", 1000),
          OverlongValue("\\Device\\Serial1", "COM1" + std::string(200, '0'), 300)},
         Ports({5, 3})},
        {"no values", {}, Ports({})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(OrderSerialPorts(c.values), c.expected);
    }
}

TEST(OrderSerialPorts, ReportedLengthShorterThanBufferLimitsTheText) {
    SerialMapValue value = StringValue("\\Device\\Serial0", "COM12");
    value.reportedLength = 4;
    EXPECT_EQ(OrderSerialPorts({value}), Ports({1}));
}

TEST(MoveSerloxtoHead, MovesFirstOccurrenceOnly) {
    struct Case {
        PortList ports;
        int port;
        bool moved;
        PortList expected;
    };
    const Case cases[] = {
        {Ports({7, 5, 2, 1}), 2, true, Ports({2, 7, 5, 1})},
        {Ports({7, 5, 2, 1}), 1, true, Ports({1, 7, 5, 2})},
        {Ports({7, 5, 2, 1}), 7, true, Ports({7, 5, 2, 1})},
        {Ports({3, 2, 3}), 3, true, Ports({3, 2, 3})},
        {Ports({2, 3, 1, 3}), 3, true, Ports({3, 2, 1, 3})},
        {Ports({7, 5, 2, 1}), 9, false, Ports({7, 5, 2, 1})},
        {Ports({}), 1, false, Ports({})},
    };
    for (const Case& c : cases) {
        PortList ports = c.ports;
        EXPECT_EQ(MoveSerloxtoHead(ports, static_cast<SerloxIDTag>(c.port)), c.moved);
        EXPECT_EQ(ports, c.expected);
    }
}

TEST(FlowControlSelector, MapsAgentIndexToHandsetMode) {
    EXPECT_EQ(FlowControlSelector(0), kFlowControlSoftware);
    EXPECT_EQ(FlowControlSelector(1), kFlowControlHardware);
    EXPECT_EQ(FlowControlSelector(2), kFlowControlNone);
    EXPECT_EQ(FlowControlSelector(0xFFFFFFFFu), kFlowControlNone);
}

}  // namespace
}  // namespace porvesk::test
