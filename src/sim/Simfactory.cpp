#include "Simfactory.h"
#include "Simmapimage.h"
#include "Simmemory.h"
#include "Simprotocol.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

using namespace SimProtocol;

namespace {

// Appends little-endian fields; Done checks the packed size.
class TPacker {
public:
    explicit TPacker(std::uint32_t size) : FSize(size) { U32(size); }
    TPacker& U8(unsigned v) { FBytes.push_back(std::uint8_t(v)); return *this; }
    TPacker& U16(unsigned v) { U8(v & 0xFF); return U8((v >> 8) & 0xFF); }
    TPacker& U32(std::uint32_t v) { U16(v & 0xFFFF); return U16(v >> 16); }
    TPacker& S8(int v) { return U8(unsigned(v) & 0xFF); }
    TPacker& S16(int v) { return U16(unsigned(v) & 0xFFFF); }
    TPacker& S32(std::int32_t v) { return U32(std::uint32_t(v)); }
    TPacker& Zeros(int n) { FBytes.insert(FBytes.end(), std::size_t(n), 0); return *this; }
    std::vector<std::uint8_t> Done() const {
        if (FBytes.size() != FSize) throw std::logic_error("simulator structure packed to the wrong size");
        return FBytes;
    }

private:
    std::uint32_t FSize;
    std::vector<std::uint8_t> FBytes;
};

std::vector<std::uint8_t> System() {
    TPacker p(23);
    p.U8(2).U8(2).U8(6);                  // two outputs, two cylinders, six gears
    p.U8(0).U8(1).U8(0).U8(0);            // output n serves cylinder
    p.U8(1).U8(1).U8(0).U8(0);            // outputs 0, 1 are fuel injectors
    return p.U32(0x00000003).U32(0x0000001F).Done();
}

std::vector<std::uint8_t> Adc() {
    TPacker p(64);
    for (int n = 0; n < 6; ++n) p.U8(n < 4 ? 1 : 0).U8(n).U16(0).U16(4095).U16(0).U16(5000);
    return p.Done();
}

std::vector<std::uint8_t> Dac() {
    TPacker p(37);
    p.U32(1000).U8(2);
    for (int n = 0; n < 2; ++n) p.U8(1).U8(n).U32(0).U32(1023).U16(0).U16(5000);
    return p.Done();
}

std::vector<std::uint8_t> Device() {
    return TPacker(24).U8(1).U8(1).U8(50).U8(10).S32(3000).S32(3000).S32(1000).S32(1000).Done();
}

std::vector<std::uint8_t> Channel() {
    TPacker p(104);
    for (int n = 0; n < 4; ++n)
        p.U8(n < 2 ? 1 : 0).U16(0).U16(2000).U16(0).U8(3).U8(1).U8(2).U16(500).U16(0).U16(0).S8(0).U32(0).U32(n < 2 ? 1 : 0);
    return p.Done();
}

std::vector<std::uint8_t> Vr() {
    TPacker p(93);
    p.U32(0x1).U8(1).U8(20).U8(3).U8(1).U16(1000).U8(2);
    for (int n = 0; n < 10; ++n) p.U8(n < 2 ? 1 : 0).U16(n < 2 ? 100 : 0).U16(n < 2 ? 60000 : 0).U16(n < 2 ? 1 : 0);
    return p.U16(500).U16(300).U16(100).Zeros(2).Done();
}

std::vector<std::uint8_t> Tps() {
    TPacker p(52);
    p.U8(1).U8(0).U16(10).U8(4).U16(100).U8(10);
    for (int n = 0; n < 10; ++n) p.U16(500 + 450 * n);    // mV
    for (int n = 0; n < 10; ++n) p.U16(n * 1000 / 9);     // 0.1 %
    return p.Done();
}

std::vector<std::uint8_t> SpeedGear() {
    TPacker p(95);
    p.U8(1).U8(0).U32(4000).U16(2000).U16(10).U8(2).U8(4).U8(1).U16(500).U16(20).U8(3).U8(4);
    const std::uint32_t ratios[6] = {9000, 6500, 5000, 4100, 3500, 3100};
    for (auto r : ratios) p.U32(r - 200);
    for (auto r : ratios) p.U32(r + 200);
    for (int n = 0; n < 6; ++n) p.U16(500 + 700 * n);
    for (int n = 0; n < 6; ++n) p.U16(900 + 700 * n);
    return p.Done();
}

std::vector<std::uint8_t> J1850() { return TPacker(14).U32(0x1).U16(50).U32(0x0000FFFF).Done(); }

std::vector<std::uint8_t> SystemVoltage() { return TPacker(9).U8(1).U8(4).U16(50).U8(8).Done(); }

std::vector<std::uint8_t> EngineTemp() {
    TPacker p(50);
    p.U8(1).U8(2).U16(100).U8(8).U8(10);
    for (int n = 0; n < 10; ++n) p.U16(4500 - 450 * n);
    for (int n = 0; n < 10; ++n) p.S16(-200 + 150 * n);   // 0.1 degC
    return p.Done();
}

std::vector<std::uint8_t> Pressure() {
    TPacker p(100);
    for (int s = 0; s < 2; ++s) {
        p.U8(s == 0 ? 1 : 0).U8(1 + s).U16(10).U8(4).U8(10);
        for (int n = 0; n < 10; ++n) p.U16(500 + 450 * n);
        for (int n = 0; n < 10; ++n) p.S16(1000 + 1000 * n);   // 0.01 kPa
    }
    return p.U32(1).Done();
}

std::vector<std::uint8_t> Wideband() {
    return TPacker(15).U8(1).U16(1470).U8(0).U16(500).U8(0x03).U8(1).U16(500).U8(0x00).Done();
}

std::vector<std::uint8_t> O2() {
    TPacker p(71);
    p.U8(2).U16(100).U8(4).U16(10).U8(4);
    for (int n = 0; n < 2; ++n)
        p.U16(120).U16(60).U16(1800).U16(600).U16(50).U16(200).U16(200).U16(450).U16(450).U16(100).U16(900).U16(350).U16(450);
    return p.U32(10000).U16(300).U16(700).Done();
}

std::vector<std::uint8_t> TrimPot() {
    TPacker p(41);
    p.U8(3);
    for (int n = 0; n < 3; ++n) p.U16(200).U16(4800).S16(-2000).S16(2000).U16(50).U8(4).U8(5 + n);
    return p.Done();
}

std::vector<std::uint8_t> PulseWidthTuning() {
    TPacker p(70);
    p.U8(0).U8(1).U16(10).U8(4).U8(10);
    for (int n = 0; n < 10; ++n) p.U32(1000 + 1000 * n);   // us
    for (int n = 0; n < 10; ++n) p.U16(n * 1000 / 9);
    return p.Done();
}

std::vector<std::uint8_t> Network() {
    TPacker p(23);
    p.U32(0).U32(0).U8(0);
    return p.Zeros(10).Done();
}

std::vector<std::uint8_t> CanRx() {
    TPacker p(745);
    p.U32(0).U8(0);
    for (int n = 0; n < 16; ++n) p.U32(0x1FFFFFFF).U32(0).U32(0).U32(0).U32(0).U32(0).U8(0).U8(0).U8(0).U8(0).S32(0).S32(0).S32(0).S32(0).U16(1000);
    return p.Done();
}

std::vector<std::uint8_t> CanTx() {
    TPacker p(42);
    p.U32(0).U16(100);
    for (int n = 0; n < 8; ++n) p.U32(n == 0 ? 28 : n == 1 ? 197 : 0);
    return p.Done();
}

std::vector<std::uint8_t> MultipleMapSwitch() {
    TPacker p(16);
    p.U8(0).U8(1);
    for (int n = 0; n < 10; ++n) p.U8(n + 1);
    return p.Done();
}

std::vector<std::uint8_t> GlobalTrim() {
    return TPacker(25).U16(1500).U16(500).U16(6000).S16(0).S16(0).S16(0).U16(0).U16(1200).U16(0).U16(20).U8(1).Done();
}

std::vector<std::uint8_t> MapSwitch() { return TPacker(9).U8(2).U8(1).U16(100).U8(2).Done(); }

std::vector<std::uint8_t> QuickShift() {
    TPacker p(36);
    p.U8(3).U8(0).U8(0).U16(3000).Zeros(2);
    for (int n = 0; n < 5; ++n) p.U32(80 - 5 * n);
    for (int n = 0; n < 4; ++n) p.U8(n < 2 ? 1 : 0);
    return p.Zeros(1).Done();
}

std::vector<std::uint8_t> RevLimit() {
    TPacker p(18);
    p.U16(7200);
    for (int n = 0; n < 4; ++n) p.U8(n < 2 ? 1 : 0);
    for (int n = 0; n < 4; ++n) p.U16(n * 50);
    return p.Done();
}

std::vector<std::uint8_t> RevXtend() {
    TPacker p(45);
    p.U32(0).U16(100).U16(150).U16(7000).U8(110);
    for (int n = 0; n < 10; ++n) p.U16(n * 1000 / 9).U8(100 + n);
    return p.Done();
}

std::vector<std::uint8_t> StartFuel() {
    TPacker p(41);
    p.U8(1).U32(3000).S8(-5).U8(10);
    for (int n = 0; n < 10; ++n) p.S16(-200 + 150 * n).S8(30 - 3 * n);
    return p.Done();
}

std::vector<std::uint8_t> AccelPump() { return TPacker(10).U8(1).S16(250).U16(4).S8(10).Done(); }

std::vector<std::uint8_t> AutoTune() {
    TPacker p(46);
    p.U32(0x1).U8(10).U8(2).U32(120000).S16(700).S8(20).S8(20).U8(150).U8(120).U8(180).U8(100);
    p.S16(300).S16(-300).U16(500).U8(1).U8(5).U8(10).U8(2).U8(1).U8(5).U8(10).U8(2);
    return p.U16(1000).U16(200).U8(5).U8(10).U8(3).U8(1).U16(100).Done();
}

std::vector<std::uint8_t> Blank(std::uint32_t size) { return TPacker(size).Zeros(int(size) - 4).Done(); }

struct TPlaced {
    std::uint32_t Address;
    std::vector<std::uint8_t> Bytes;
};

// Packs structures back to back from start; returns their addresses.
std::vector<std::uint32_t> Pack(std::vector<TPlaced>& placed, std::uint32_t& at,
                                std::vector<std::vector<std::uint8_t>> structures) {
    std::vector<std::uint32_t> addresses;
    for (auto& s : structures) {
        addresses.push_back(at);
        const auto size = std::uint32_t(s.size());
        placed.push_back({at, std::move(s)});
        at += size;
    }
    return addresses;
}

std::vector<std::uint8_t> PointerTable(std::uint32_t size, const std::vector<std::pair<int, std::uint32_t>>& words,
                                       std::uint32_t word1 = 0) {
    std::vector<std::uint8_t> table(size, 0);
    SimPut32(&table[0], size);
    SimPut32(&table[4], word1);
    for (const auto& [word, value] : words) SimPut32(&table[4 * word], value);
    return table;
}

void BuildFlashTables(TSimMemory& memory) {
    std::vector<TPlaced> placed;
    std::uint32_t at = RoFlashBase + 20;
    const auto ro = Pack(placed, at, {System(), Adc(), Dac(), Blank(20)});
    memory.StoreFlash(RoFlashBase, PointerTable(20, {{1, ro[0]}, {2, ro[1]}, {3, ro[2]}, {4, ro[3]}}).data(), 20);
    at = RwFlashBase + 20;
    const auto rw = Pack(placed, at, {Device(), Channel(), Vr(), Blank(8)});
    memory.StoreFlash(RwFlashBase, PointerTable(20, {{1, rw[0]}, {2, rw[1]}, {3, rw[2]}, {4, rw[3]}}).data(), 20);
    for (const auto& p : placed) memory.StoreFlash(p.Address, p.Bytes.data(), p.Bytes.size());
}

// FRAM structures in the order a configuration rebuild packs them, then the
// two feature blocks the rebuild does not know.
void BuildFramTables(TSimMemory& memory) {
    std::vector<TPlaced> placed;
    std::uint32_t at = FramTableAddress + 68;
    const std::uint32_t feature = at;
    at += 44;
    const auto s = Pack(placed, at, {Tps(), SpeedGear(), J1850(), EngineTemp(), Pressure(), SystemVoltage(), Wideband(),
                                     Network(), CanRx(), CanTx(), O2(), TrimPot(), PulseWidthTuning(), GlobalTrim(),
                                     MultipleMapSwitch()});
    const auto f = Pack(placed, at, {MapSwitch(), QuickShift(), RevLimit(), RevXtend(), StartFuel(), AccelPump(),
                                     AutoTune(), Blank(33), Blank(49)});
    auto ram = [](std::uint32_t a) { return a | RamPointerFlag; };
    // words 2..16: TPS, Speed/Gear, J1850, Engine Temp, Pressure, System Voltage, Wideband,
    // O2, Trim Pot, Pulse Width Tuning, Network, Can Rx, Can Tx, Multiple Map Switch, Global Trim
    const int order[15] = {0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 7, 8, 9, 14, 13};
    std::vector<std::pair<int, std::uint32_t>> words = {{1, ram(feature)}};
    for (int w = 0; w < 15; ++w) words.push_back({w + 2, ram(s[order[w]])});
    memory.WriteFram(FramTableAddress, PointerTable(68, words).data(), 68);
    std::vector<std::pair<int, std::uint32_t>> featureWords;
    for (int w = 0; w < 9; ++w) featureWords.push_back({w + 2, ram(f[w])});
    memory.WriteFram(feature, PointerTable(44, featureWords, 0x0000007F).data(), 44);
    for (const auto& p : placed) memory.WriteFram(p.Address, p.Bytes.data(), p.Bytes.size());
}

void BuildIdentity(TSimMemory& memory, const TSimIdentity& id) {
    std::uint8_t info[DeviceInfoSize] = {};
    SimPut32(info + 0, KzdDeviceType);
    SimPut32(info + 4, id.HardwareVersion);
    SimPut32(info + 8, id.BootloaderVersion);
    SimPut32(info + 20, RootTableAddress);
    memory.StoreFlash(DeviceInfoAddress, info, sizeof info);
    std::uint8_t firmware[FirmwareInfoSize] = {};
    SimPut32(firmware, id.FirmwareVersion);
    memory.StoreFlash(FirmwareInfoAddress, firmware, sizeof firmware);
    std::uint8_t boot[FirmwareInfoSize] = {};
    SimPut32(boot, id.BootloaderVersion);
    memory.StoreFlash(BootInfoAddress, boot, sizeof boot);
    std::uint8_t guid[16];
    for (int i = 0; i < 4; ++i) SimPut32(guid + 4 * i, id.Guid[i]);
    memory.StoreFlash(GuidAddress, guid, 16);
    std::uint8_t serial[16] = {};
    std::copy_n(id.SerialNumber.begin(), std::min<std::size_t>(id.SerialNumber.size(), 16), serial);
    memory.StoreFlash(SerialAddress, serial, 16);
    std::uint8_t model[ModelInfoSize] = {};
    SimPut32(model, 0x00020001);
    std::copy_n(id.ModelNumber.begin(), std::min<std::size_t>(id.ModelNumber.size(), 16), model + 4);
    SimPut16(model + 20, id.MapType);
    memory.StoreFlash(ModelInfoAddress, model, sizeof model);
}

void BuildRootTable(TSimMemory& memory) {
    const auto root = PointerTable(24, {{3, FramTableAddress | RamPointerFlag}, {4, RwFlashBase}, {5, RoFlashBase}},
                                   MapDirectoryAddress | RamPointerFlag);
    memory.StoreFlash(RootTableAddress, root.data(), root.size());
}

} // namespace

TSimIdentity SimFactoryIdentity(int unitNumber) {
    TSimIdentity id;
    char serial[17];
    std::snprintf(serial, sizeof serial, "KZD2611A%08u", unsigned(417 + unitNumber) % 100000000u);
    id.SerialNumber = serial;
    id.Guid[3] = 0x20000000u + std::uint32_t(unitNumber);
    return id;
}

std::vector<std::uint8_t> SimFactoryFirmware(std::size_t size) {
    std::vector<std::uint8_t> image(size);
    std::uint32_t x = 0x9E3779B9u;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        image[i] = std::uint8_t(x >> 24);
    }
    const char head[4] = {'K', 'Z', 'D', 'F'};
    for (std::size_t i = 0; i < 4 && i < size; ++i) image[i] = std::uint8_t(head[i]);
    return image;
}

void SimWriteErrorLog(TSimMemory& memory, std::uint32_t count,
                      const std::vector<std::pair<std::uint32_t, std::int32_t>>& entries) {
    std::uint8_t log[ErrorLogSize] = {};
    SimPut32(log, count);
    for (std::size_t k = 0; k < entries.size() && k < 5; ++k) {
        SimPut32(log + 4 + 8 * k, entries[k].first);
        SimPut32(log + 8 + 8 * k, std::uint32_t(entries[k].second));
    }
    memory.WriteFram(ErrorLogAddress, log, sizeof log);
}

void SimBuildFactoryImages(TSimMemory& memory, const TSimIdentity& identity) {
    std::fill(memory.Fram().begin(), memory.Fram().end(), 0);
    std::fill(memory.Flash().begin(), memory.Flash().end(), 0xFF);
    BuildIdentity(memory, identity);
    BuildRootTable(memory);
    BuildFlashTables(memory);
    BuildFramTables(memory);
    const auto firmware = SimFactoryFirmware(0x14000);
    memory.StoreFlash(FirmwareBase, firmware.data(), firmware.size());
    // newest last: TPS analog channel (Medium), VR unsynced (High), a low note on the table module
    SimWriteErrorLog(memory, 3, {{307u | 0u << 30, 903}, {105u | 1u << 30, 12345}, {2303u | 2u << 30, 48210}});
    SimWriteMap(memory, SimFactoryMap());
}
