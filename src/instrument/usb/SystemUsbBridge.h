#pragma once

#include <memory>

class UsbBridge;

/// The bridge backend for real devices: libftdi1 where the build has it, otherwise one whose
/// every listing fails with the reason.
std::unique_ptr<UsbBridge> createSystemUsbBridge();
