// The sender against DCMTK's storescp, and its failure reports.

#include <gtest/gtest.h>

#include "dcmServer.h"
#include "net/dcmSender.h"
#include "net_ct_series.h"
#include "net_harness.h"
#include "support/TestSupport.h"

#include <filesystem>

namespace fs = std::filesystem;
using nettest::Message;
using nettest::MessageLog;

namespace {

class SenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageLog::instance().install();
        MessageLog::instance().clear();
        MessageLog::instance().setProbe([this] { return sender.isSending(); });
    }
    void TearDown() override { MessageLog::instance().setProbe(nullptr); }

    /// storescp writing into a fresh folder; returns its port.
    int startStorescp()
    {
        port = nettest::freePort();
        fs::create_directories(tmp.file("received"));
        storescp.reset(new nettest::Process({"storescp", "-od", tmp.file("received"), std::to_string(port)},
                                            tmp.file("storescp.log")));
        EXPECT_TRUE(nettest::waitForListener(port));
        return port;
    }

    /// A folder with a CT series in a sub-folder, a thumbnail and a note beside it.
    std::vector<std::string> makeSendFolder(const std::string& name, int count)
    {
        std::string dir = tmp.file(name);
        fs::create_directories(dir + "/series");
        nettest::CtSeriesShape shape;
        shape.count = count;
        std::vector<std::string> files = nettest::writeCtSeries(dir + "/series", shape);
        qptest::writeFile(dir + "/series/thumb_1.png", "\x89PNG\r\n\x1a\n not a dicom file");
        qptest::writeFile(dir + "/notes.txt", "hello");
        return files;
    }

    /// Messages of one task, in the order they were handed over.
    std::vector<Message> taskMessages(unsigned taskID)
    {
        std::vector<Message> out;
        for (const Message& m : MessageLog::instance().all())
            if (m.type <= 2 && m.field("taskID") == std::to_string(taskID))
                out.push_back(m);
        return out;
    }

    bool waitFinal(unsigned taskID, double seconds = 60)
    {
        return MessageLog::instance().waitFor([&](const std::vector<Message>& ms) {
            for (const Message& m : ms)
                if ((m.type == 1 || m.type == 2) && m.field("taskID") == std::to_string(taskID))
                    return true;
            return false;
        }, seconds);
    }

    size_t countFinals(unsigned taskID)
    {
        size_t n = 0;
        for (const Message& m : taskMessages(taskID))
            n += m.type == 1 || m.type == 2;
        return n;
    }

    qptest::TempDir tmp;
    int port = 0;
    std::unique_ptr<nettest::Process> storescp;
    dcmSDK::dcmSender sender;
};

} // namespace

TEST_F(SenderTest, SendsEveryDicomFileWithProgressThenOneDone)
{
    std::vector<std::string> files = makeSendFolder("study", 40);
    sender.setIP("127.0.0.1", std::to_string(startStorescp()));
    ASSERT_TRUE(sender.send(501, tmp.file("study")));
    EXPECT_TRUE(sender.isSending());
    ASSERT_TRUE(waitFinal(501));

    std::vector<Message> ms = taskMessages(501);
    ASSERT_GE(ms.size(), 2u);
    float last = -1;
    for (size_t i = 0; i + 1 < ms.size(); ++i) {
        ASSERT_EQ(ms[i].type, 0u) << ms[i].text;
        float value = std::stof(ms[i].field("value"));
        EXPECT_GT(value, last);
        last = value;
    }
    EXPECT_FLOAT_EQ(last, 100.0f);
    EXPECT_EQ(ms.back().type, 1u);
    EXPECT_TRUE(ms.back().isSending) << "the final message must come before isSending turns false";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sender.isSending() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(sender.isSending());
    EXPECT_EQ(countFinals(501), 1u);

    // storescp kept every DICOM file and nothing else.
    EXPECT_EQ(nettest::filesBelow(tmp.file("received")).size(), files.size());
}

TEST_F(SenderTest, ClosedPortBadAddressOrNothingToSendFailOnce)
{
    makeSendFolder("study", 3);
    fs::create_directories(tmp.file("empty"));
    qptest::writeFile(tmp.file("empty/readme.txt"), "no dicom here");
    struct Case {
        unsigned task;
        std::string ip, port, path;
    } cases[] = {
        {601, "127.0.0.1", std::to_string(nettest::freePort()), tmp.file("study")},  // nobody listens
        {602, "127.0.0.1", "notaport", tmp.file("study")},
        {603, "127.0.0.1", "70000", tmp.file("study")},
        {604, "", "104", tmp.file("study")},
        {605, "10.1.2.3", "104", tmp.file("study")},  // off loopback: refused without a packet
        {606, "127.0.0.1", "104", tmp.file("empty")},
        {607, "127.0.0.1", "104", tmp.file("does-not-exist")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.task);
        sender.setIP(c.ip, c.port);
        ASSERT_TRUE(sender.send(c.task, c.path));
        ASSERT_TRUE(waitFinal(c.task, 30));
        while (sender.isSending())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::vector<Message> ms = taskMessages(c.task);
        ASSERT_EQ(ms.size(), 1u);
        EXPECT_EQ(ms[0].type, 2u);
    }
}

TEST_F(SenderTest, TwoSendsOneAfterAnotherAndABusySenderRefuses)
{
    std::vector<std::string> first = makeSendFolder("first", 30);
    std::vector<std::string> second = makeSendFolder("second", 5);
    sender.setIP("127.0.0.1", startStorescp());

    ASSERT_TRUE(sender.send(701, tmp.file("first")));
    // A send while one runs is refused and reported failed at once; the running one goes on.
    EXPECT_FALSE(sender.send(702, tmp.file("second")));
    ASSERT_TRUE(waitFinal(702, 1));
    EXPECT_EQ(taskMessages(702).back().type, 2u);

    ASSERT_TRUE(waitFinal(701));
    while (sender.isSending())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(sender.send(703, tmp.file("second")));
    ASSERT_TRUE(waitFinal(703));

    EXPECT_EQ(taskMessages(701).back().type, 1u);
    EXPECT_EQ(taskMessages(703).back().type, 1u);
    EXPECT_EQ(countFinals(701), 1u);
    EXPECT_EQ(countFinals(702), 1u);
    EXPECT_EQ(countFinals(703), 1u);
    EXPECT_EQ(nettest::filesBelow(tmp.file("received")).size(), first.size() + second.size());
}

TEST_F(SenderTest, PeerGoneMidSendFailsOnce)
{
    makeSendFolder("big", 150);
    sender.setIP("127.0.0.1", startStorescp());
    ASSERT_TRUE(sender.send(801, tmp.file("big")));
    ASSERT_TRUE(MessageLog::instance().waitForCount(0, 1, 30));
    storescp->stop();
    ASSERT_TRUE(waitFinal(801));
    EXPECT_EQ(countFinals(801), 1u);
    // Either the kill came too late to matter, or the send is reported failed.
    if (nettest::filesBelow(tmp.file("received")).size() < 150) {
        EXPECT_EQ(taskMessages(801).back().type, 2u);
    }
}

TEST_F(SenderTest, OurSenderToOurReceiver)
{
    std::vector<std::string> files = makeSendFolder("study", 20);
    dcmSDK::dcmServer receiver;
    const int receiverPort = nettest::freePort();
    receiver.setRoot(tmp.file("store"));
    receiver.setPort("127.0.0.1", receiverPort, "QPSTORE");
    ASSERT_TRUE(receiver.BeginDicomServer());

    sender.setIP("127.0.0.1", receiverPort);
    ASSERT_TRUE(sender.send(901, tmp.file("study")));
    ASSERT_TRUE(waitFinal(901));
    EXPECT_EQ(taskMessages(901).back().type, 1u);
    EXPECT_EQ(MessageLog::instance().ofType(dcmSDK::DCM_MSG_FILE_STORED).size(), files.size());
}
