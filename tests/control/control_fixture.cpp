#include "tests/control/control_fixture.h"

#include "api/app_context.h"
#include "app/events.h"
#include "control/byte_order.h"

namespace zv::test {

void ControlSessionTest::SetUp() {
  m_window.Attach();
  CControlClient::Instance().SetStreamSession(&m_stream);
  m_listener = std::make_unique<TcpListener>();
  CAppContext& context = CAppContext::Instance();
  context.sessionId = kSession;
  context.qualityLevel = QUALITY_FAST;
  context.SetCurrentPadCode(kPadCode);
  PadInfo other;
  other.padCode = "PAD-OTHER";
  other.controlCode = "node-2";
  PadInfo pad;
  pad.padCode = kPadCode;
  pad.controlCode = "node-1";
  context.padList = {other, pad};
  UseNode("127.0.0.1", m_listener->Port());
}

void ControlSessionTest::TearDown() {
  CControlClient& client = CControlClient::Instance();
  client.Stop();
  EXPECT_TRUE(client.WaitForLoops(std::chrono::seconds(20)));
  client.SetResolver({});
  client.SetOptions(ControlOptions{});
  client.SetStreamSession(nullptr);
}

void ControlSessionTest::UseNode(const std::string& host, uint16_t port) {
  ControlNodeInfo other{"node-2", "127.0.0.1", 1};
  ControlNodeInfo node{"node-1", host, port};
  CAppContext::Instance().controlList = {other, node};
}

TcpConnection ControlSessionTest::ConnectAndHandshake() {
  EXPECT_EQ(CControlClient::Instance().Connect(kPadCode), 0);
  TcpConnection connection = m_listener->Accept();
  EXPECT_TRUE(connection.Valid());
  ReadHandshake(connection);
  return connection;
}

void ControlSessionTest::ReadHandshake(TcpConnection& connection) {
  std::vector<uint8_t> hello = connection.ReadExact(kControlHelloSize);
  ASSERT_EQ(hello.size(), kControlHelloSize);
  ControlHelloFields fields = ReadControlHello(hello.data());
  EXPECT_TRUE(fields.magicOk);
  EXPECT_EQ(fields.session, kSession);
  ControlFields quality = ReadMessage(connection);
  EXPECT_EQ(quality.type, CTRL_QUALITY);
  EXPECT_EQ(quality.subCode, QualityWireValue(CAppContext::Instance().qualityLevel.load()));
  std::vector<uint8_t> pad = connection.ReadExact(kControlMessageSize);
  ASSERT_EQ(pad.size(), kControlMessageSize);
  EXPECT_EQ(LoadLe32(pad.data()), CTRL_PAD);
  EXPECT_EQ(ReadControlText(pad.data()), kPadCode);
}

ControlFields ControlSessionTest::ReadMessage(TcpConnection& connection) {
  std::vector<uint8_t> bytes = connection.ReadExact(kControlMessageSize);
  if (bytes.size() != kControlMessageSize) {
    ADD_FAILURE() << "no whole message from the client";
    ControlFields none;
    none.type = 0xDEADBEEF;
    return none;
  }
  return ReadControlMessage(bytes.data());
}

std::vector<uint8_t> ControlSessionTest::NodeMessage(uint32_t type, uint32_t sub, int32_t a, int32_t b) {
  ControlMessage m = BuildNodeMessage(type, 77, sub, a, b);
  return std::vector<uint8_t>(m.begin(), m.end());
}

std::vector<RecordedEvent> ControlSessionTest::EventsOf(uint32_t message) {
  std::vector<RecordedEvent> out;
  for (const auto& e : m_window.Events())
    if (e.message == message) out.push_back(e);
  return out;
}

}  // namespace zv::test
