#include "sim/SimProduct.h"

namespace vivori::sim {

SimProduct::SimProduct(uint16_t vendorId, uint16_t productId, std::vector<uint8_t> descriptor,
                       int interfaceNumber, bool isReceiver, std::shared_ptr<FirmwareModel> model)
    : SimDevice(vendorId, productId, std::move(descriptor), interfaceNumber, isReceiver),
      model_(std::move(model)) {}

uint8_t SimProduct::HandleCommand(const Frame& request, Frame& reply) {
    return model_->Handle(request, reply);
}

FirmwareModel* FirmwareOf(const std::shared_ptr<SimDevice>& device) {
    auto product = std::dynamic_pointer_cast<SimProduct>(device);
    return product ? &product->Model() : nullptr;
}

}  // namespace vivori::sim
