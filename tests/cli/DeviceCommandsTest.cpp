#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRun.h"
#include "DeviceCommands.h"
#include "Simulator.h"
#include "Simunit.h"

namespace {

std::string StateFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("kzdctl-test-" + name + ".state")).string();
}

}  // namespace

TEST(DeviceCommands, SimulatedUnitListsInfoAndErrors) {
    const std::string sim = "sim:" + StateFile("info");
    std::filesystem::remove(StateFile("info"));
    TRun list = Kzdctl({"--device", sim, "device", "list", "--json"});
    ASSERT_EQ(list.Status, 0) << list.Err;
    EXPECT_EQ(list.Out, "[\n  {\"kind\": 6, \"name\": \"KZD \", \"connection\": 2, \"number\": 1286, \"parent\": null}\n]\n");

    TRun info = Kzdctl({"--device", sim, "device", "info"});
    ASSERT_EQ(info.Status, 0) << info.Err;
    for (const char* label : {"Hardware Version: ", "Bootloader Version: ", "Firmware Version: ", "Guid: ",
                              "Serial Number: ", "Model Number: ", "Map Type: "})
        EXPECT_NE(info.Out.find(label), std::string::npos) << label;

    TRun errors = Kzdctl({"--device", sim, "device", "errors", "--json"});
    ASSERT_EQ(errors.Status, 0) << errors.Err;
    EXPECT_EQ(errors.Out.rfind("{\n  \"codes\": [", 0), 0u) << errors.Out;
    std::filesystem::remove(StateFile("info"));
}

TEST(DeviceCommands, LinkedUnitsAndDeviceSelection) {
    TSimulator sim;
    TSimUnit& unit = sim.AddUnit();
    unit.SetErrorLog(0, {});
    const std::string link = "link:" + sim.LinkDir();

    TRun errors = Kzdctl({"--device", link, "device", "errors"});
    ASSERT_EQ(errors.Status, 0) << errors.Err;
    EXPECT_EQ(errors.Out, "Error Code;Description;Timestamp;Severity\nNone;None;None;None\n");

    TRun byId = Kzdctl({"--device", link, "--id", "6:2:1286", "device", "info", "--json"});
    EXPECT_EQ(byId.Status, 0) << byId.Err;
    EXPECT_EQ(byId.Out.rfind("{\n  \"lines\": [\n    {\"label\": \"Hardware Version\"", 0), 0u) << byId.Out;

    TRun missing = Kzdctl({"--device", link, "--id", "1:2:1282", "device", "info"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, "kzdctl: no device 1:2:1282: not connected\n");

    TRun badId = Kzdctl({"--device", link, "--id", "six", "device", "info"});
    EXPECT_EQ(badId.Status, 2);

    unit.Detach();
    TRun none = Kzdctl({"--device", link, "device", "info"});
    EXPECT_EQ(none.Status, 1);
    EXPECT_NE(none.Err.find("no KZD unit or controller is connected"), std::string::npos);
    TRun empty = Kzdctl({"--device", link, "device", "list", "--json"});
    EXPECT_EQ(empty.Status, 0);
    EXPECT_EQ(empty.Out, "[]\n");
}

TEST(DeviceCommands, UsageErrors) {
    EXPECT_EQ(Kzdctl({"--device", "bogus", "device", "list"}).Status, 2);
    EXPECT_EQ(Kzdctl({"--device", "usb", "device", "list", "extra"}).Status, 2);
    EXPECT_EQ(Kzdctl({"--device", "usb", "device", "list", "--frobnicate"}).Status, 2);
}

TEST(DeviceCommands, ErrorTimestampsInSeconds) {
    EXPECT_EQ(ErrorTimestampText(12345), "12.345");
    EXPECT_EQ(ErrorTimestampText(5), "0.005");
    EXPECT_EQ(ErrorTimestampText(-1500), "-1.500");
    EXPECT_EQ(ErrorTimestampText(INT32_MIN), "-2147483.648");
}
