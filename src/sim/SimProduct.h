#pragma once

#include <memory>

#include "sim/FirmwareModel.h"
#include "sim/SimDevice.h"

namespace vivori::sim {

// A product of the family on the bus: its USB identity and interface around a
// firmware model. A receiver forwards to the model of the device it pairs with.
class SimProduct : public SimDevice {
  public:
    SimProduct(uint16_t vendorId, uint16_t productId, std::vector<uint8_t> descriptor,
               int interfaceNumber, bool isReceiver, std::shared_ptr<FirmwareModel> model);

    FirmwareModel& Model() const { return *model_; }
    const std::shared_ptr<FirmwareModel>& SharedModel() const { return model_; }

  protected:
    uint8_t HandleCommand(const Frame& request, Frame& reply) override;

  private:
    std::shared_ptr<FirmwareModel> model_;
};

// The firmware behind a simulated device; null for a device that has none.
FirmwareModel* FirmwareOf(const std::shared_ptr<SimDevice>& device);

}  // namespace vivori::sim
