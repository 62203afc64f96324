#include "sim/control_node/control_node_module.h"

#include "sim/control_node/control_node.h"

namespace zv::sim {
namespace {

class CControlNodeModule : public ISimModule {
 public:
  const char* Name() const override { return "control"; }

  bool Start(SimContext& context, std::map<std::string, int>& ports, std::string& error) override {
    m_node = std::make_unique<CControlNode>(context);
    if (!m_node->Start(error)) {
      m_node.reset();
      return false;
    }
    ports["control"] = m_node->Port();
    return true;
  }

 private:
  std::unique_ptr<CControlNode> m_node;
};

}  // namespace
}  // namespace zv::sim

std::unique_ptr<zv::sim::ISimModule> CreateControlNodeModule() {
  return std::make_unique<zv::sim::CControlNodeModule>();
}
