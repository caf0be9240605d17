// The send panel: its fixed rows from the local address, typed addresses and their checks,
// one send per press, rows followed by task ID, discovery and echo answers (also from real
// datagrams), a layout without a send table, and a real send to storescp on loopback.

#include "PanelFixture.h"

#include "hooks/ServiceHooks.h"
#include "net/dcmSendingObject.h"
#include "send/dcmNodeObject.h"
#include "send/dcmSend.h"
#include "table/NSListView.h"
#include "table/NSTableViewCell.h"
#include "table/NSTableViewMenu.h"
#include "text/NSTextField.h"
#include "util/TimeUtils.h"

#include <algorithm>
#include <arpa/inet.h>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace cocos2d;
using paneltest::PanelFixture;

namespace {

class SendPanelTest : public PanelFixture {
protected:
    dcmSend* open(const std::string& path = "/data/patient", const std::string& label = "DOE^JOHN")
    {
        Node* window = dcmSend::create();
        EXPECT_NE(window, nullptr);
        scene->addChild(window);
        dcmSend* panel = dcmSend::fromWindow(window);
        EXPECT_NE(panel, nullptr);
        panel->setSendSource(path, label);
        input->frame();
        return panel;
    }
    static dcmNodeObject* node(dcmSend* panel, int64_t row)
    {
        return static_cast<dcmNodeObject*>(panel->getNodeTable()->rows.at(row));
    }
    static dcmSendingObject* task(dcmSend* panel, int64_t row)
    {
        return static_cast<dcmSendingObject*>(panel->getSendTable()->rows.at(row));
    }
    void tapRow(NSUI::NSListView* table, int64_t row)
    {
        NSUI::NSTableViewCell* cell = table->cellAtIndex(row);
        ASSERT_NE(cell, nullptr);
        const Vec2 at = cell->convertToWorldSpace(Vec2(100, 35));
        input->touchBegan(0, at);
        input->touchEnded(0, at);
        input->frame();
    }
    // Types into the typed-address row's field, after what it holds.
    void type(dcmSend* panel, const std::string& text)
    {
        NSUI::NSTableViewCell* cell = panel->getNodeTable()->cellAtIndex(1);
        ASSERT_NE(cell, nullptr);
        const Vec2 end = cell->convertToWorldSpace(Vec2(cell->getCellSize().width - 200, 15));
        input->touchBegan(0, end);
        input->touchEnded(0, end);
        input->insertText(text);
        input->frame();
    }
    void pressSend(dcmSend* panel, const char* name = "dcmNode_send")
    {
        Node* button = panel->getChildByNameDeep(name);
        ASSERT_NE(button, nullptr) << name;
        panel->onButtonClicked(button);
        input->frame();
    }
    // Presses "del" in the swipe menu of a send row.
    void pressDelete(dcmSend* panel, int64_t row)
    {
        NSUI::NSTableViewCell* cell = panel->getSendTable()->cellAtIndex(row);
        ASSERT_NE(cell, nullptr);
        NSUI::NSTableViewMenu* menu = NSUI::NSTableViewMenu::create();
        menu->cell = cell;
        menu->idx = row;
        panel->tableFillLeftMenu(panel->getSendTable(), menu);
        cell->addChild(menu);
        panel->onButtonClicked(menu->getChildByNameDeep("del"));
        menu->removeFromParent();
    }
    void storeNode(const std::string& appid, const std::string& port, const std::string& wifi)
    {
        ASSERT_TRUE(service->getDB()->upsertNeighbor(5, "node-" + appid, "127.0.0.1", port, appid));
        std::lock_guard<std::recursive_mutex> lock(service->getDB()->getLock());
        ASSERT_TRUE(service->getDB()->getConnection().executeSQL("UPDATE neighbor SET wifi=\"" + wifi +
                                                              "\" WHERE appid=\"" + appid + "\""));
    }
    void post(unsigned id, int tag, float value = 0.0f, const std::string& text = "")
    {
        auto* data = new NSUI::NSNotificationData();
        data->tag = tag;
        data->floatValue = value;
        data->text = text;
        NSUI::NSNotificationCenter::getInstance()->postNotification(nullptr, id, data, nullptr, true);
        data->release();
        input->frame();
    }
    static std::string secondsAgo(int seconds)
    {
        time_t t = time(nullptr) - seconds;
        struct tm local;
        localtime_r(&t, &local);
        char text[32];
        strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return text;
    }
};

TEST_F(SendPanelTest, LocalAddressGivesItsRowAndATypedRowOfItsPrefix)
{
    useNetwork("10.0.0.5");
    dcmSend* panel = open();
    ASSERT_EQ(panel->getFixedRowCount(), 2);
    EXPECT_EQ(node(panel, 0)->ip, "10.0.0.5:" + std::to_string(dicomDB::getReceiverPort()));
    EXPECT_EQ(node(panel, 0)->rowKind, dcmNodeObject::kLocalAddress);
    EXPECT_EQ(node(panel, 0)->sendStarted, 1);
    EXPECT_EQ(node(panel, 1)->rowKind, dcmNodeObject::kTypedAddress);
    auto* field = dynamic_cast<NSUI::NSTextField*>(panel->getNodeTable()->cellAtIndex(1)->getChildByTag(101));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->getString(), "10.0.0.");
    EXPECT_TRUE(field->isVisible());
    EXPECT_FALSE(panel->getNodeTable()->cellAtIndex(0)->getChildByTag(101)->isVisible());

    // The local row never sends.
    tapRow(panel->getNodeTable(), 0);
    pressSend(panel);
    EXPECT_EQ(panel->getSendTable()->getRowCount(), 0);

    useNetwork("");
    dcmSend* offline = open();
    EXPECT_EQ(offline->getFixedRowCount(), 1);
    EXPECT_EQ(node(offline, 0)->ip, "Check the network config");
    EXPECT_EQ(node(offline, 0)->name, "No valid internet connection");
}

TEST_F(SendPanelTest, TypedAddressesSplitAtTheColonAndBadOnesQueueNothing)
{
    useNetwork("10.0.0.5");
    dcmSend* panel = open();
    // Untouched, the field holds only the subnet's prefix.
    tapRow(panel->getNodeTable(), 1);
    pressSend(panel);
    EXPECT_EQ(toast(), AppConfig::getInstance()->getText("UnvalidIP"));
    EXPECT_EQ(panel->getSendTable()->getRowCount(), 0);

    type(panel, "9:0");
    EXPECT_EQ(node(panel, 1)->ip, "10.0.0.9");
    EXPECT_EQ(node(panel, 1)->port, "0");
    auto* rowSend = dynamic_cast<ui::Button*>(panel->getChildByNameDeep("dcmNode_send_input"));
    ASSERT_NE(rowSend, nullptr);
    EXPECT_TRUE(rowSend->isVisible());
    EXPECT_EQ(rowSend->getTitleText(), AppConfig::getInstance()->getText("dcmNode_send"));
    EXPECT_GT(rowSend->getContentSize().width, 40.0f);
    hideToast();
    pressSend(panel, "dcmNode_send_input");
    EXPECT_EQ(toast(), AppConfig::getInstance()->getText("UnvalidPort"));
    EXPECT_EQ(panel->getSendTable()->getRowCount(), 0);

    input->deleteBackward();
    type(panel, "104");
    EXPECT_EQ(node(panel, 1)->ip, "10.0.0.9");
    EXPECT_EQ(node(panel, 1)->port, "104");
    pressSend(panel, "dcmNode_send_input");
    ASSERT_EQ(panel->getSendTable()->getRowCount(), 1);
    EXPECT_EQ(task(panel, 0)->ip, "10.0.0.9");
    EXPECT_EQ(task(panel, 0)->port, "104");
    EXPECT_EQ(task(panel, 0)->path, "/data/patient");
    EXPECT_EQ(label(panel->getSendTable()->cellAtIndex(0), "path"), "DOE^JOHN");

    // A port after a second colon, or an empty number between dots, is no address.
    for (const char* bad : {"10.0.0.9:1:2", "10..0.9:104", "10.0.0.9:65536"}) {
        NSUI::NSTextField* field =
            dynamic_cast<NSUI::NSTextField*>(panel->getNodeTable()->cellAtIndex(1)->getChildByTag(101));
        field->setString(bad);
        panel->onTextFieldEvent(field, NSUI::NSTextField::kTextInserted);
        hideToast();
        pressSend(panel, "dcmNode_send_input");
        EXPECT_NE(toast(), "") << bad;
        EXPECT_EQ(panel->getSendTable()->getRowCount(), 1) << bad;
    }
}

TEST_F(SendPanelTest, NoFolderOrNoRowAsksForAChoice)
{
    storeNode("a1", "104", secondsAgo(3600));
    dcmSend* panel = open("");
    tapRow(panel->getNodeTable(), panel->getFixedRowCount());
    pressSend(panel);
    EXPECT_EQ(toast(), "Please choose a patient or series, and open again.");
    dcmSend* unselected = open();
    hideToast();
    pressSend(unselected);
    EXPECT_EQ(toast(), "Please choose a patient or series, and open again.");
    EXPECT_EQ(service->getSendList().size(), 0u);
}

TEST_F(SendPanelTest, RowsFollowTheirSendsByTaskId)
{
    // Tasks without a folder stay queued: the service never hands them to the sender.
    std::vector<dcmSendingObject*> tasks;
    for (const char* ip : {"127.0.0.1", "127.0.0.3", "127.0.0.4"}) {
        dcmSendingObject* t = dcmSendingObject::create();
        t->ip = ip;
        t->name = std::string("n") + ip;
        service->addSendTask(t);
        tasks.push_back(t);
    }
    tasks[2]->state = dcmSendingObject::kDone;
    dcmSend* panel = open();
    ASSERT_EQ(panel->getSendTable()->getRowCount(), 2);
    EXPECT_EQ(panel->getChildByNameDeep("helpbk"), nullptr);
    EXPECT_EQ(label(panel->getSendTable()->cellAtIndex(0), "ip"), "n127.0.0.1---127.0.0.1");
    EXPECT_EQ(label(panel->getSendTable()->cellAtIndex(0), "ratio"), "Waiting");

    post(2010, static_cast<int>(tasks[1]->getTaskID()), 40.0f);
    post(2010, 999999, 70.0f);
    EXPECT_EQ(label(panel->getSendTable()->cellAtIndex(1), "ratio"), "40%");
    EXPECT_EQ(task(panel, 1)->state, dcmSendingObject::kSending);
    EXPECT_EQ(label(panel->getSendTable()->cellAtIndex(0), "ratio"), "Waiting");
    post(2011, static_cast<int>(tasks[0]->getTaskID()));
    EXPECT_EQ(label(panel->getSendTable()->cellAtIndex(0), "ratio"), "Done");
    post(2012, static_cast<int>(tasks[1]->getTaskID()));
    Node* failed = panel->getSendTable()->cellAtIndex(1);
    EXPECT_FALSE(failed->getChildByNameDeep("ratio")->isVisible());
    ASSERT_TRUE(failed->getChildByNameDeep("dcmNodeSend_retry")->isVisible());

    // Retry queues it again for the service.
    tasks[1]->dispatched = true;
    panel->onButtonClicked(failed->getChildByNameDeep("dcmNodeSend_retry"));
    EXPECT_EQ(tasks[1]->state, dcmSendingObject::kQueued);
    EXPECT_FALSE(tasks[1]->dispatched);
    EXPECT_FALSE(failed->getChildByNameDeep("dcmNodeSend_retry")->isVisible());

    // Two deletions pressed before either arrives remove their own rows.
    pressDelete(panel, 0);
    pressDelete(panel, 1);
    EXPECT_TRUE(frameUntil([&] { return panel->getSendTable()->getRowCount() == 0; }));
    EXPECT_EQ(tasks[0]->state, dcmSendingObject::kDone);
    EXPECT_EQ(tasks[1]->state, dcmSendingObject::kDone);

    // A running send stays, with the reason.
    dcmSendingObject* running = dcmSendingObject::create();
    running->ip = "127.0.0.1";
    running->state = dcmSendingObject::kSending;
    service->addSendTask(running);
    dcmSend* again = open();
    ASSERT_EQ(again->getSendTable()->getRowCount(), 1);
    pressDelete(again, 0);
    EXPECT_EQ(toast(), AppConfig::getInstance()->getText("dcm_sending_msg"));
    input->advance(0.5f);
    EXPECT_EQ(again->getSendTable()->getRowCount(), 1);
}

TEST_F(SendPanelTest, DiscoveryAndEchoAnswersKeepTheNodesCurrent)
{
    storeNode("old", "104", secondsAgo(86400));
    storeNode("fresh", "105", secondsAgo(5));
    dcmSend* panel = open();
    const int fixed = panel->getFixedRowCount();
    ASSERT_EQ(panel->getNodeTable()->getRowCount(), fixed + 2);
    EXPECT_EQ(node(panel, fixed)->appid, "fresh");
    EXPECT_EQ(node(panel, fixed + 1)->appid, "old");
    auto wifiOf = [&](int64_t row) {
        auto* image = dynamic_cast<ui::ImageView*>(panel->getNodeTable()->cellAtIndex(row)->getChildByNameDeep("wifi"));
        return image ? image->getTextureFile() : std::string();
    };
    EXPECT_EQ(wifiOf(fixed), "imgs/Wi-Fi-Green.png");
    EXPECT_EQ(wifiOf(fixed + 1), "imgs/Wi-Fi-Red.png");
    EXPECT_EQ(label(panel->getNodeTable()->cellAtIndex(fixed), "ip"), "127.0.0.1:105");

    // The old node answers discovery: it moves to the top of the nodes.
    post(2017, 0, 0.0f, R"({"appid":"old","device":"2","name":"Reading room","ip":"127.0.0.7"})");
    EXPECT_EQ(node(panel, fixed)->appid, "old");
    EXPECT_EQ(node(panel, fixed)->name, "Reading room");
    EXPECT_EQ(panel->getNodeTable()->getRowCount(), fixed + 2);
    EXPECT_EQ(wifiOf(fixed), "imgs/Wi-Fi-Green.png");

    // A failed echo adds no unknown node and turns a known one red.
    post(2003, 0, 0.0f, R"({"ok":"0","appid":"nobody","name":"x","port":"104","ip":"127.0.0.9"})");
    EXPECT_EQ(panel->getNodeTable()->getRowCount(), fixed + 2);
    int64_t freshRow = node(panel, fixed)->appid == "fresh" ? fixed : fixed + 1;
    post(2003, 0, 0.0f, R"({"ok":"0","appid":"fresh","name":"PACS","port":"11112","ip":"127.0.0.1"})");
    EXPECT_EQ(node(panel, freshRow)->port, "11112");
    EXPECT_EQ(wifiOf(freshRow), "imgs/Wi-Fi-Red.png");
    // A successful echo from a new node adds it.
    post(2003, 0, 0.0f, R"({"ok":"1","appid":"new","name":"CT","port":"104","ip":"127.0.0.10"})");
    EXPECT_EQ(node(panel, fixed)->appid, "new");
}

// A peer's datagram, sent from `from` to the open panel's discovery port.
void sendDiscovery(const std::string& from, const std::string& json)
{
    NSUI::sniffer* discovery = NSUI::sniffer::peekInstance();
    ASSERT_NE(discovery, nullptr);
    while (discovery->getBoundPort() == 0 && discovery->isReceiving())
        std::this_thread::yield();
    const int sock = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, from.c_str(), &addr.sin_addr);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    addr.sin_port = htons(static_cast<uint16_t>(discovery->getBoundPort()));
    inet_pton(AF_INET, "127.0.0.2", &addr.sin_addr);
    const std::string bytes = safeBase64Encode(json);
    sendto(sock, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    close(sock);
}

TEST_F(SendPanelTest, PeersAreListedAtTheirSourceAndNeverTakeTheFixedRows)
{
    dcmSend* panel = open();
    storetest::Recorder recorder({2017});
    // The peer at 127.0.0.4 claims another host's address and the fixed rows' identifiers.
    for (const char* appid : {"localip", "input"})
        sendDiscovery("127.0.0.4", std::string(R"({"ip":"127.0.0.9","name":"peer","command":"response",)") +
                                       R"("device":"2","appid":")" + appid + R"(","msg":"dicom_node_recognize"})");
    ASSERT_TRUE(frameUntil([&] { return recorder.count(2017) == 2; }));
    input->frame();

    ASSERT_EQ(panel->getFixedRowCount(), 2);
    EXPECT_EQ(node(panel, 0)->rowKind, dcmNodeObject::kLocalAddress);
    EXPECT_EQ(node(panel, 1)->rowKind, dcmNodeObject::kTypedAddress);
    ASSERT_EQ(panel->getNodeTable()->getRowCount(), 4);
    EXPECT_EQ(node(panel, 2)->ip, "127.0.0.4");
    EXPECT_EQ(node(panel, 3)->ip, "127.0.0.4");
    std::vector<NeighborRecord> stored;
    service->getDB()->listNeighbors(stored);
    ASSERT_EQ(stored.size(), 2u);
    for (const NeighborRecord& record : stored)
        EXPECT_EQ(record.ip, "127.0.0.4") << record.appid;
}

TEST_F(SendPanelTest, ALayoutWithoutASendTableStillSends)
{
    std::string layout = qptest::readFile(qptest::sourceDir() + "/res/pad/dcmNode.json");
    const size_t at = layout.find(R"("name": "sending")");
    ASSERT_NE(at, std::string::npos);
    layout.replace(at, 17, R"("name": "elsewhere")");
    const std::string folder = scratch("layout");
    qptest::writeFile(folder + "/dcmNode.json", layout);
    FileUtils::getInstance()->addSearchPath(folder, true);
    storeNode("a1", "104", secondsAgo(3600));

    dcmSend* panel = open();
    ASSERT_EQ(panel->getSendTable(), nullptr);
    tapRow(panel->getNodeTable(), panel->getFixedRowCount());
    pressSend(panel);
    ASSERT_EQ(service->getSendList().size(), 1u);
    EXPECT_EQ(service->getSendList()[0]->port, "104");
    EXPECT_EQ(service->getSendList()[0]->path, "/data/patient");
}

TEST_F(SendPanelTest, APatientReachesStorescpWholeAndAClosedPortFailsOnce)
{
    const int port = nettest::freePort();
    const std::string received = scratch("storescp");
    nettest::Process storescp({"storescp", "-od", received, std::to_string(port)}, scratch("logs") + "/storescp.log");
    ASSERT_TRUE(nettest::waitForListener(port));
    const std::string patient = scratch("patient");
    ASSERT_TRUE(storetest::makeSeries({"--ct", "32x32x5", patient + "/ct", "--mr", "32x32x3", patient + "/mr"}));
    storeNode("closed", std::to_string(nettest::freePort()), secondsAgo(3600));
    storeNode("peer", std::to_string(port), secondsAgo(3600));
    storetest::Recorder recorder({2012});
    int failuresShown = 0;
    ServiceHooks::showMessage() = [&](const std::string&, float) { ++failuresShown; };

    dcmSend* panel = open(patient, "PHANTOM");
    const int fixed = panel->getFixedRowCount();
    for (int64_t row = fixed; row < fixed + 2; ++row) {
        tapRow(panel->getNodeTable(), row);
        pressSend(panel);
        pressSend(panel);
    }
    ASSERT_EQ(panel->getSendTable()->getRowCount(), 2);
    ASSERT_EQ(service->getSendList().size(), 2u);
    ASSERT_TRUE(frameUntil([&] { return task(panel, 0)->state >= 2 && task(panel, 1)->state >= 2; }));
    const int64_t peerRow = task(panel, 0)->port == std::to_string(port) ? 0 : 1;
    EXPECT_EQ(label(panel->getSendTable()->cellAtIndex(peerRow), "ratio"), "Done");
    EXPECT_EQ(task(panel, 1 - peerRow)->state, dcmSendingObject::kFailed);
    EXPECT_TRUE(panel->getSendTable()->cellAtIndex(1 - peerRow)->getChildByNameDeep("dcmNodeSend_retry")->isVisible());
    input->advance(0.5f);
    EXPECT_EQ(recorder.count(2012), 1u);
    EXPECT_EQ(failuresShown, 1);

    std::vector<std::string> sent, got;
    for (const std::string& file : nettest::filesBelow(patient))
        sent.push_back(nettest::datasetBytes(qptest::readFile(file)));
    for (const std::string& file : nettest::filesBelow(received))
        got.push_back(nettest::datasetBytes(qptest::readFile(file)));
    std::sort(sent.begin(), sent.end());
    std::sort(got.begin(), got.end());
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_TRUE(sent == got);

    // Opened again: the finished send is gone, the failed one is listed and pressing send
    // for the same node and folder selects it instead of queueing another.
    dcmSend* again = open(patient, "PHANTOM");
    ASSERT_EQ(again->getSendTable()->getRowCount(), 1);
    int64_t closedNode = node(again, fixed)->appid == "closed" ? fixed : fixed + 1;
    tapRow(again->getNodeTable(), closedNode);
    pressSend(again);
    EXPECT_EQ(service->getSendList().size(), 2u);
    EXPECT_EQ(again->getSendTable()->getTouchedCell(), again->getSendTable()->cellAtIndex(0));
}

} // namespace
