#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "../config/UpdateFileBuilder.h"
#include "CliRun.h"

using namespace testfiles;

namespace {

class UpdateShow : public ::testing::Test {
protected:
    void SetUp() override {
        FPath = ::testing::TempDir() + "/kzd_update_show_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".kzu";
    }
    void TearDown() override { std::remove(FPath.c_str()); }

    // An encoded format-2 file with a filter, a 3-byte image ("abc") and one
    // script of three sections: a known item, an unknown item with an unknown
    // operator, and a structure outside the catalogue.
    void WriteSample() {
        TUpdateSpec spec;
        spec.Format = 2;
        spec.BootValue = 4000000000u;
        spec.FirmwareVersion = 66571;
        spec.Key2[0] = 0x13572468;
        spec.Filter.CheckType = 1;
        spec.Filter.Mask = 8;
        spec.Filter.Serials = {"SN\"01"};
        spec.Filter.MapTypes = {4660, -1};
        spec.Image = {'a', 'b', 'c'};
        TScriptSpec script;
        script.Name = "Accel";
        script.Filter.Models = {"KZD-200"};
        script.Sections = {Section(2, 23, 3, 1, -25), Section(2, 23, 99, 9, 7), Section(9, 40, 1, 2, 0)};
        spec.Scripts = {script};
        WriteFile(FPath, TUpdateBuilder().Build(spec));
    }

    std::string FPath;
};

const char* const KSampleJson = R"({
  "format": 2,
  "boot_value": 4000000000,
  "firmware_version": 66571,
  "encoded": true,
  "filter": {
    "check_type": 1,
    "type_mask": 8,
    "serial_numbers": [
      "SN\"01"
    ],
    "model_numbers": [],
    "map_types": [
      4660,
      -1
    ]
  },
  "image": {
    "size": 3,
    "sha256": "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
  },
  "scripts": [
    {
      "name": "Accel",
      "filter": {
        "check_type": 0,
        "type_mask": 0,
        "serial_numbers": [],
        "model_numbers": [
          "KZD-200"
        ],
        "map_types": []
      },
      "sections": [
        {
          "command": 2,
          "command_name": "Modify",
          "structure": 23,
          "structure_name": "Accel Pump",
          "item_id": 3,
          "item_name": "Trigger ROC",
          "operator": 1,
          "operator_name": "Equal [=]",
          "operand": -25
        },
        {
          "command": 2,
          "command_name": "Modify",
          "structure": 23,
          "structure_name": "Accel Pump",
          "item_id": 99,
          "item_name": null,
          "operator": 9,
          "operator_name": null,
          "operand": 7
        },
        {
          "command": 9,
          "command_name": null,
          "structure": 40,
          "structure_name": "Invalid",
          "item_id": 1,
          "item_name": null,
          "operator": 2,
          "operator_name": "Add [+=]",
          "operand": 0
        }
      ]
    }
  ]
}
)";

TEST_F(UpdateShow, JsonDocumentInContractOrder) {
    WriteSample();
    const TRun run = Kzdctl({"update", "show", FPath, "--json"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, KSampleJson);
    EXPECT_EQ(run.Err, "");
}

TEST_F(UpdateShow, FormatOneWithoutImageHasNullImageAndNoScripts) {
    TUpdateSpec spec;
    spec.Format = 1;
    spec.BootValue = 9;
    spec.ImageFlag = false;
    WriteFile(FPath, TUpdateBuilder().Build(spec));
    const TRun run = Kzdctl({"--json", "update", "show", FPath});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("\"format\": 1,"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("\"encoded\": false,"), std::string::npos);
    EXPECT_NE(run.Out.find("\"image\": null,"), std::string::npos);
    EXPECT_NE(run.Out.find("\"scripts\": []\n}"), std::string::npos);
}

TEST_F(UpdateShow, ReadableSummaryNamesTheParts) {
    WriteSample();
    const TRun run = Kzdctl({"update", "show", FPath});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("Encoded: yes"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("Image: 3 bytes, sha256 ba7816bf"), std::string::npos);
    EXPECT_NE(run.Out.find("Modify Accel Pump (23) item 3 \"Trigger ROC\" s16 at 5 Equal [=] -25"), std::string::npos);
}

TEST_F(UpdateShow, UnreadableFilesExitWithStatusTwo) {
    const TRun missing = Kzdctl({"update", "show", FPath, "--json"});
    EXPECT_EQ(missing.Status, 2);
    EXPECT_EQ(missing.Out, "");
    EXPECT_EQ(missing.Err, "kzdctl: cannot read update file '" + FPath + "': cannot open the file\n");

    TUpdateSpec spec;
    spec.Image = std::vector<std::uint8_t>(100, 1);
    TUpdateBuilder builder;
    auto bytes = builder.Build(spec);
    bytes.resize(builder.Layout().Image + 50);
    WriteFile(FPath, bytes);
    const TRun cut = Kzdctl({"update", "show", FPath});
    EXPECT_EQ(cut.Status, 2);
    EXPECT_NE(cut.Err.find("firmware image"), std::string::npos) << cut.Err;
}

TEST_F(UpdateShow, BadUsageExitsWithStatusTwo) {
    EXPECT_EQ(Kzdctl({"update", "show"}).Status, 2);
    EXPECT_EQ(Kzdctl({"update", "show", "a.kzu", "b.kzu"}).Status, 2);
    EXPECT_EQ(Kzdctl({"update", "show", "a.kzu", "--frobnicate"}).Status, 2);
}

}  // namespace
