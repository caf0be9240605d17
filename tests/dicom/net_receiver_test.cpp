// The storage receiver against DCMTK's storescu and echoscu.

#include <gtest/gtest.h>

#include "dcmServer.h"
#include "net_ct_series.h"
#include "net_harness.h"
#include "support/TestSupport.h"

#include "dcmtk/dcmnet/scu.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using nettest::Message;
using nettest::MessageLog;

namespace {

// Real files in the transfer syntaxes a receiver must take as they come, with the
// storescu option that makes it propose the file's own syntax (empty: uncompressed).
struct SampleFile {
    const char* name;
    const char* propose;
};
const SampleFile kPydicomFiles[] = {
    {"CT_small.dcm", ""},                      // explicit VR little endian
    {"rtplan.dcm", ""},                        // implicit VR little endian
    {"ExplVR_BigEnd.dcm", ""},                 // explicit VR big endian
    {"image_dfl.dcm", ""},                     // deflated
    {"test-SR.dcm", ""},                       // non-image storage classes
    {"waveform_ecg.dcm", ""},
    {"JPEG-lossy.dcm", "-xx"},                 // JPEG extended (12 bit)
    {"SC_rgb_jpeg_dcmtk.dcm", "-xy"},          // JPEG baseline
    {"MR_small_jpeg_ls_lossless.dcm", "-xt"},  // JPEG-LS
    {"SC_rgb_rle.dcm", "-xr"},                 // RLE
    {"JPEG2000.dcm", "-xw"},                   // JPEG 2000
    {"GDCMJ2K_TextGBR.dcm", "-xv"},            // JPEG 2000 lossless
};

class ReceiverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageLog::instance().install();
        MessageLog::instance().clear();
        root = tmp.file("store") + "/";
        port = nettest::freePort();
        server.setRoot(root);
        server.setPort("127.0.0.1", port, "QPSTORE");
        ASSERT_TRUE(server.BeginDicomServer());
    }
    void TearDown() override { server.StopDicomServer(); }

    /// storescu sending files over one association; `propose` picks a compressed syntax.
    int storescu(const std::vector<std::string>& files, const std::string& propose = "", int toPort = 0)
    {
        std::vector<std::string> args = {"storescu", "-aet", "TESTSCU", "-aec", "ANYTHING", "-R"};
        if (!propose.empty())
            args.push_back(propose);
        args.push_back("127.0.0.1");
        args.push_back(std::to_string(toPort ? toPort : port));
        args.insert(args.end(), files.begin(), files.end());
        nettest::Process p(args, tmp.file("storescu.log"));
        return p.wait();
    }

    /// Arguments of a storescu with its default options sending files to our receiver.
    std::vector<std::string> plainStorescu(const std::vector<std::string>& files) const
    {
        std::vector<std::string> args = {"storescu", "127.0.0.1", std::to_string(port)};
        args.insert(args.end(), files.begin(), files.end());
        return args;
    }

    /// count generated CT slices of side x side pixels in a new folder of tmp.
    std::vector<std::string> ctSlices(const std::string& folder, int count, int side) const
    {
        fs::create_directories(tmp.file(folder));
        nettest::CtSeriesShape shape;
        shape.count = count;
        shape.rows = side;
        shape.columns = side;
        return nettest::writeCtSeries(tmp.file(folder), shape);
    }

    std::string storedPath(const Message& m) const
    {
        return root + m.record.folder + m.record.fileName;
    }

    qptest::TempDir tmp;
    std::string root;
    int port = 0;
    dcmSDK::dcmServer server;
};

std::string tagOf(const std::string& path, const DcmTagKey& key)
{
    DcmFileFormat f;
    OFString v;
    if (f.loadFile(path.c_str()).good())
        f.getDataset()->findAndGetOFString(key, v);
    return v.c_str();
}

} // namespace

TEST_F(ReceiverTest, StorescuFilesArriveUnchangedWithOneFilledRecordEach)
{
    fs::create_directories(tmp.file("ct"));
    nettest::CtSeriesShape shape;
    shape.count = 200;
    const std::vector<std::string> series = nettest::writeCtSeries(tmp.file("ct"), shape);
    ASSERT_EQ(series.size(), 200u);

    // DCMTK's storescp in bit-preserving mode receives the same transfers: what it
    // writes is what came over the wire, and ours must match it byte for byte.
    const int refPort = nettest::freePort();
    fs::create_directories(tmp.file("ref"));
    nettest::Process storescp({"storescp", "-B", "+xa", "-od", tmp.file("ref"), std::to_string(refPort)},
                              tmp.file("storescp.log"));
    ASSERT_TRUE(nettest::waitForListener(refPort));

    std::vector<std::string> sources = series;
    std::vector<std::string> uncompressed = series;
    for (const SampleFile& f : kPydicomFiles) {
        std::string path = qptest::pydicomDir() + "/" + f.name;
        sources.push_back(path);
        if (!*f.propose) {
            uncompressed.push_back(path);
            continue;
        }
        for (int to : {port, refPort})
            ASSERT_EQ(storescu({path}, f.propose, to), 0) << f.name << qptest::readFile(tmp.file("storescu.log"));
    }
    for (int to : {port, refPort})
        ASSERT_EQ(storescu(uncompressed, "", to), 0) << qptest::readFile(tmp.file("storescu.log"));

    ASSERT_TRUE(MessageLog::instance().waitForCount(dcmSDK::DCM_MSG_FILE_STORED, sources.size(), 30));
    std::vector<Message> stored = MessageLog::instance().ofType(dcmSDK::DCM_MSG_FILE_STORED);
    ASSERT_EQ(stored.size(), sources.size());

    std::map<std::string, std::string> bySop;  // SOP instance UID -> stored path
    for (const Message& m : stored)
        EXPECT_TRUE(bySop.emplace(m.record.sopInstanceUID, storedPath(m)).second)
            << "two records for " << m.record.sopInstanceUID;
    std::map<std::string, std::string> refBySop;
    for (const std::string& f : nettest::filesBelow(tmp.file("ref")))
        refBySop[tagOf(f, DCM_SOPInstanceUID)] = f;

    for (const std::string& src : sources) {
        SCOPED_TRACE(src);
        std::string sop = tagOf(src, DCM_SOPInstanceUID);
        ASSERT_TRUE(bySop.count(sop));
        ASSERT_TRUE(refBySop.count(sop));
        const std::string& dst = bySop[sop];
        // Stored under the series folder of its tags, named by its SOP instance UID.
        std::string name = tagOf(src, DCM_PatientName), id = tagOf(src, DCM_PatientID);
        char folder[1024];
        dcmSDK::dcmServer::getDicomFolder(name.empty() ? "ANONYMOUS" : name.c_str(),
                                          id.empty() ? "EmptyID" : id.c_str(),
                                          tagOf(src, DCM_StudyInstanceUID).c_str(),
                                          tagOf(src, DCM_SeriesInstanceUID).c_str(), folder);
        EXPECT_EQ(dst, root + folder + "/" + sop);
        std::string received = nettest::datasetBytes(qptest::readFile(dst));
        std::string wire = nettest::datasetBytes(qptest::readFile(refBySop[sop]));
        ASSERT_FALSE(wire.empty());
        EXPECT_TRUE(received == wire) << "dataset differs (" << received.size() << " vs " << wire.size() << " bytes)";
    }
    // Our own series goes over the wire unchanged, so it arrives identical to the source.
    for (const std::string& src : series) {
        std::string sop = tagOf(src, DCM_SOPInstanceUID);
        EXPECT_TRUE(nettest::datasetBytes(qptest::readFile(src)) == nettest::datasetBytes(qptest::readFile(bySop[sop])))
            << src;
    }

    // The records carry the tags of the files (one CT slice checked field by field).
    auto ct = std::find_if(stored.begin(), stored.end(), [](const Message& m) {
        return std::string(m.record.instanceNumber) == "7" && std::string(m.record.modality) == "CT";
    });
    ASSERT_NE(ct, stored.end());
    EXPECT_STREQ(ct->record.patientName, "PHANTOM^CT");
    EXPECT_STREQ(ct->record.patientID, "QP0001");
    EXPECT_STREQ(ct->record.studyDate, "20240102");
    EXPECT_STREQ(ct->record.studyTime, "101112");
    EXPECT_STREQ(ct->record.seriesDescription, "Axial 1mm");
    EXPECT_STREQ(ct->record.sex, "F");
    EXPECT_EQ(std::string(ct->record.folder).back(), '/');

    // Nothing is left in the incoming folder.
    EXPECT_TRUE(nettest::filesBelow(root + ".incoming").empty());
}

TEST_F(ReceiverTest, AStockStorescuWithNagleOnDeliversEverySliceWholeOnce)
{
    // Without TCP_NODELAY in its environment storescu leaves Nagle's algorithm on, so the
    // short last segment of each PDU waits for our acknowledgement; 256x256 slices end
    // their PDUs in such segments.
    const std::vector<std::string> series = ctSlices("ct", 200, 256);
    ASSERT_EQ(series.size(), 200u);
    nettest::Process scu(plainStorescu(series), tmp.file("storescu.log"), nettest::stockPeerEnvironment());
    ASSERT_EQ(scu.wait(), 0) << qptest::readFile(tmp.file("storescu.log"));
    ASSERT_TRUE(MessageLog::instance().waitForCount(dcmSDK::DCM_MSG_FILE_STORED, series.size(), 30));
    server.StopDicomServer();  // every message is out once the receiver has stopped

    std::map<std::string, std::string> bySop;
    for (const Message& m : MessageLog::instance().ofType(dcmSDK::DCM_MSG_FILE_STORED))
        EXPECT_TRUE(bySop.emplace(m.record.sopInstanceUID, storedPath(m)).second)
            << "two records for " << m.record.sopInstanceUID;
    EXPECT_EQ(bySop.size(), series.size());
    for (const std::string& src : series)
        EXPECT_TRUE(nettest::datasetBytes(qptest::readFile(src)) ==
                    nettest::datasetBytes(qptest::readFile(bySop[tagOf(src, DCM_SOPInstanceUID)])))
            << src;
}

TEST_F(ReceiverTest, EchoscuIsAnsweredWhateverTheCalledTitle)
{
    for (const char* called : {"QPSTORE", "SOMEOTHER"}) {
        nettest::Process p({"echoscu", "-aet", "TESTSCU", "-aec", called, "127.0.0.1", std::to_string(port)},
                           tmp.file("echoscu.log"));
        EXPECT_EQ(p.wait(30), 0) << called << ": " << qptest::readFile(tmp.file("echoscu.log"));
    }
    EXPECT_TRUE(MessageLog::instance().ofType(dcmSDK::DCM_MSG_FILE_STORED).empty());
}

TEST_F(ReceiverTest, HostileTagValuesNeverWriteOutsideTheRoot)
{
    const std::string longValue(10240, 'A');
    const std::vector<std::vector<std::pair<DcmTagKey, std::string>>> hostile = {
        {{DCM_PatientName, "../../../escaped"}, {DCM_PatientID, "../.."}},
        {{DCM_PatientName, "/tmp/absolute"}, {DCM_PatientID, "/"}},
        {{DCM_PatientName, "quote\"d'name"}, {DCM_PatientID, "a\\b"}},
        {{DCM_PatientName, longValue}, {DCM_PatientID, longValue}},
        {{DCM_StudyInstanceUID, "../../study"}, {DCM_SeriesInstanceUID, ".."}},
        {{DCM_SOPInstanceUID, "../../../sop"}},
        {{DCM_SOPInstanceUID, ".."}},
        {{DCM_PatientName, ""}, {DCM_PatientID, ""}, {DCM_StudyInstanceUID, ""}},
    };
    std::vector<std::string> sources;
    for (size_t i = 0; i < hostile.size(); ++i) {
        std::string dir = tmp.file("src" + std::to_string(i));
        fs::create_directories(dir);
        nettest::CtSeriesShape shape;
        shape.count = 1;
        shape.extra = hostile[i];
        for (const std::string& f : nettest::writeCtSeries(dir, shape))
            sources.push_back(f);
    }
    ASSERT_EQ(sources.size(), hostile.size());
    auto before = nettest::filesBelow(tmp.path());

    storescu(sources);
    ASSERT_TRUE(MessageLog::instance().waitForCount(dcmSDK::DCM_MSG_FILE_STORED, sources.size(), 30))
        << qptest::readFile(tmp.file("storescu.log"));

    std::string canonicalRoot = fs::weakly_canonical(root).string();
    for (const std::string& f : nettest::filesBelow(tmp.path())) {
        if (std::find(before.begin(), before.end(), f) != before.end() || f == tmp.file("storescu.log"))
            continue;
        EXPECT_EQ(fs::weakly_canonical(f).string().rfind(canonicalRoot, 0), 0u) << f << " is outside the store";
    }
    for (const Message& m : MessageLog::instance().ofType(dcmSDK::DCM_MSG_FILE_STORED)) {
        EXPECT_TRUE(fs::is_regular_file(storedPath(m))) << storedPath(m);
        EXPECT_LT(std::strlen(m.record.patientName), 256u);
    }
    // Nothing escaped to the parent of the temporary folder either.
    EXPECT_FALSE(fs::exists(fs::path(tmp.path()).parent_path() / "escaped"));
    EXPECT_FALSE(fs::exists("/tmp/absolute"));
}

TEST_F(ReceiverTest, AnObjectThatCannotBeFiledIsRefusedAndNotReported)
{
    fs::create_directories(tmp.file("src"));
    nettest::CtSeriesShape shape;
    shape.count = 2;
    std::vector<std::string> sources = nettest::writeCtSeries(tmp.file("src"), shape);
    ASSERT_EQ(sources.size(), 2u);
    // A plain file where the patient's folder belongs makes the store unwritable for it.
    char folder[1024];
    dcmSDK::dcmServer::getDicomFolder("PHANTOM^CT", "QP0001", "x", "y", folder);
    std::string patientDir = root + std::string(folder).substr(0, std::string(folder).find('/'));
    ASSERT_TRUE(qptest::writeFile(patientDir, "in the way"));

    EXPECT_NE(storescu(sources), 0);  // the peer hears about the failure
    EXPECT_TRUE(MessageLog::instance().ofType(dcmSDK::DCM_MSG_FILE_STORED).empty());
    EXPECT_TRUE(nettest::filesBelow(root + ".incoming").empty());
    EXPECT_EQ(qptest::readFile(patientDir), "in the way");
}

TEST_F(ReceiverTest, StopsQuicklyAndQuietlyAndRestartsOnTheSamePortTenTimes)
{
    // The host takes our own log lines; whatever else reaches stderr (DCMTK's log, say
    // about a failed association request) is noise on every close of the program.
    dcmSDK::setLogCallback([](const char*) {});
    nettest::StderrCapture stderrCapture;
    double stopping = 0;
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        auto t0 = std::chrono::steady_clock::now();
        server.StopDicomServer();
        stopping += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_FALSE(server.isRunning());
        ASSERT_TRUE(server.BeginDicomServer());
        nettest::Process p({"echoscu", "127.0.0.1", std::to_string(port)}, tmp.file("echoscu.log"));
        EXPECT_EQ(p.wait(30), 0);
    }
    server.StopDicomServer();
    const std::string written = stderrCapture.text();
    dcmSDK::setLogCallback(nullptr);
    EXPECT_EQ(written, "");
    // Loose: sitting out the receiver's one-second accept poll would take ten seconds.
    EXPECT_LT(stopping, 5.0);
    EXPECT_EQ(MessageLog::instance().ofType(dcmSDK::DCM_MSG_RECEIVER_STARTED).size(), 11u);
    EXPECT_EQ(MessageLog::instance().ofType(dcmSDK::DCM_MSG_RECEIVER_STOPPED).size(), 11u);
}

TEST_F(ReceiverTest, PartialObjectsOfAnEarlierRunAreClearedAtStart)
{
    server.StopDicomServer();
    const std::string incoming = root + ".incoming/";
    ASSERT_TRUE(qptest::writeFile(incoming + "old.part", "half an object"));
    ASSERT_TRUE(qptest::writeFile(incoming + "fresh.part", "being written"));
    ASSERT_TRUE(qptest::writeFile(incoming + "notes.txt", "not ours"));
    fs::last_write_time(incoming + "old.part", fs::file_time_type::clock::now() - std::chrono::hours(2));
    ASSERT_TRUE(server.BeginDicomServer());
    EXPECT_FALSE(fs::exists(incoming + "old.part"));
    EXPECT_TRUE(fs::exists(incoming + "fresh.part"));
    EXPECT_TRUE(fs::exists(incoming + "notes.txt"));
}

TEST_F(ReceiverTest, StopEndsAnIdleAssociationQuickly)
{
    DcmSCU peer;
    peer.setAETitle("IDLEPEER");
    peer.setPeerHostName("127.0.0.1");
    peer.setPeerPort(static_cast<Uint16>(port));
    peer.setPeerAETitle("QPSTORE");
    OFList<OFString> syntaxes;
    syntaxes.push_back(UID_LittleEndianImplicitTransferSyntax);
    peer.addPresentationContext(UID_VerificationSOPClass, syntaxes);
    ASSERT_TRUE(peer.initNetwork().good());
    ASSERT_TRUE(peer.negotiateAssociation().good());
    ASSERT_TRUE(peer.sendECHORequest(0).good());
    // The peer now says nothing and keeps the association open.
    auto t0 = std::chrono::steady_clock::now();
    server.StopDicomServer();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(seconds, 1.6);
    EXPECT_TRUE(server.BeginDicomServer());  // and the port is free again
}

TEST_F(ReceiverTest, StopDuringATransferLeavesOnlyWholeReportedFiles)
{
    std::vector<std::string> sources = ctSlices("big", 300, 256);
    nettest::Process scu(plainStorescu(sources), tmp.file("storescu.log"));
    ASSERT_TRUE(MessageLog::instance().waitForCount(dcmSDK::DCM_MSG_FILE_STORED, 5, 30));

    auto t0 = std::chrono::steady_clock::now();
    server.StopDicomServer();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 1.6);
    scu.wait(30);

    std::vector<Message> stored = MessageLog::instance().ofType(dcmSDK::DCM_MSG_FILE_STORED);
    EXPECT_LT(stored.size(), sources.size()) << "the transfer ended before the stop";
    size_t onDisk = 0;
    for (const std::string& f : nettest::filesBelow(root))
        onDisk += f.find("/.incoming/") == std::string::npos;
    EXPECT_EQ(onDisk, stored.size());
    std::map<std::string, std::string> sourceBySop;
    for (const std::string& f : sources)
        sourceBySop[tagOf(f, DCM_SOPInstanceUID)] = f;
    for (const Message& m : stored)
        EXPECT_TRUE(nettest::datasetBytes(qptest::readFile(storedPath(m))) ==
                    nettest::datasetBytes(qptest::readFile(sourceBySop[m.record.sopInstanceUID])))
            << storedPath(m) << " is not whole";
    EXPECT_TRUE(nettest::filesBelow(root + ".incoming").empty());
}

TEST_F(ReceiverTest, APeerAskingOnlyForOtherServicesIsTurnedAway)
{
    DcmSCU peer;
    peer.setPeerHostName("127.0.0.1");
    peer.setPeerPort(static_cast<Uint16>(port));
    OFList<OFString> syntaxes;
    syntaxes.push_back(UID_LittleEndianImplicitTransferSyntax);
    peer.addPresentationContext(UID_FINDStudyRootQueryRetrieveInformationModel, syntaxes);
    peer.setACSETimeout(5);
    ASSERT_TRUE(peer.initNetwork().good());
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(peer.negotiateAssociation().bad());
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 2.0)
        << "the peer was left waiting instead of being answered";

    nettest::Process p({"echoscu", "127.0.0.1", std::to_string(port)}, tmp.file("echoscu.log"));
    EXPECT_EQ(p.wait(30), 0);
}

TEST_F(ReceiverTest, RefusesToStartTwiceOrOnABusyPort)
{
    EXPECT_FALSE(server.BeginDicomServer());  // already running

    dcmSDK::dcmServer second;
    second.setRoot(tmp.file("other"));
    second.setPort("127.0.0.1", port, "SECOND");
    EXPECT_FALSE(second.BeginDicomServer());
    EXPECT_FALSE(second.isRunning());
    EXPECT_FALSE(MessageLog::instance().ofType(dcmSDK::DCM_MSG_RECEIVER_ERROR).empty());

    dcmSDK::dcmServer noRoot;
    noRoot.setPort("127.0.0.1", nettest::freePort(), "NOROOT");
    EXPECT_FALSE(noRoot.BeginDicomServer());

    // The running receiver is unharmed.
    nettest::Process p({"echoscu", "127.0.0.1", std::to_string(port)}, tmp.file("echoscu.log"));
    EXPECT_EQ(p.wait(30), 0);
}
