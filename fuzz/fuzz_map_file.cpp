// Feeds arbitrary bytes to the map file loader: every input must end in a
// status, without a crash, a sanitizer finding, a hang or a huge allocation.
// A loaded map is also shown to the model's readers and saved again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Qcmaptransferfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TQCMap map;
    TQCMapTransferFile transfer(&map);
    const int status = transfer.LoadFromMemory(data, size, "fuzz.kzm");
    if (status > 0 || status < -3)
        __builtin_trap();
    for (TQCDeviceMap* deviceMap : map.FDeviceMaps.Snapshot()) {
        deviceMap->HeaderMemoryUsage();
        for (TQCPosition* position : deviceMap->FPositions.Snapshot())
            for (TQCTableData* table : position->FTables.Snapshot())
                for (int row = 0; row < table->RowCount(); ++row)
                    for (int col = 0; col < table->ColCount(); ++col)
                        table->SetValue(col, row, table->GetValue(col, row));
        TQCDeviceMap copy(*deviceMap);
        copy.CopyValuesFrom(*deviceMap);
    }
    if (status == 0) {
        std::vector<std::uint8_t> saved;
        if (transfer.SaveToMemory(saved) == 0) {
            TQCMap again;
            TQCMapTransferFile reload(&again);
            if (reload.LoadFromMemory(saved.data(), saved.size(), "again.kzm") != 0)
                __builtin_trap();
        }
    }
    return 0;
}
