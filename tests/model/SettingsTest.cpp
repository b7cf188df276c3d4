#include <gtest/gtest.h>

#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "tests/model/TestFiles.h"

using namespace testfiles;

TEST(Analysis, ProjectRecordKeepsRunDataAndOptionsLineTheSolverOptions) {
  model::Analysis a;
  a.Title = "Span 1, girder A";
  a.Discription = "";
  a.RunID = "R-7";
  a.EigenValueEstimation = 0.25f;
  a.EigenValue = 12.5f;
  a.MaxShift = 5;
  a.MaxCycle = 20;
  a.ShiftFactor = 0.5f;
  a.IGSTF = true;
  a.OptionInitialB = 1;
  a.OutputOption = 4;
  std::string project = Written([&](platform::TextFile& f) { a.StoreData1_4(f); }, "p.txt");
  EXPECT_EQ(project, "\"Span 1, girder A\"\r\n\"\"\r\n\"R-7\"\r\n0.25,12.5\r\n");
  std::string options = Written([&](platform::TextFile& f) { a.StoreData1_4Option(f); }, "o.txt");
  EXPECT_EQ(options, "5,20,0.5,#TRUE#,#FALSE#,1\r\n");

  model::Analysis b;
  auto in = InputOf(project + options);
  b.ReadData1_4(*in);
  b.ReadData1_4Option(*in);
  EXPECT_EQ(b.Title, a.Title);
  EXPECT_EQ(b.Discription, "");
  EXPECT_EQ(b.RunID, "R-7");
  EXPECT_EQ(b.EigenValueEstimation, 0.25f);
  EXPECT_EQ(b.EigenValue, 12.5f);
  EXPECT_EQ(b.MaxShift, 5);
  EXPECT_EQ(b.MaxCycle, 20);
  EXPECT_EQ(b.ShiftFactor, 0.5f);
  EXPECT_TRUE(b.IGSTF);
  EXPECT_FALSE(b.ISHEAR);
  EXPECT_EQ(b.OptionInitialB, 1);
  EXPECT_EQ(b.OutputOption, 1);  // not in any file
}

TEST(Analysis, DamagedOptionsLineFallsBackToDefaultsWithoutFailing) {
  for (const char* text : {"9,9,0.1", "9,9,0.1,#TRUE#,#TRUE#,x", "40000,9,0.1,#TRUE#,#TRUE#,1", ""}) {
    model::Analysis a;
    a.OutputOption = 2;
    a.Title = "kept";
    auto in = InputOf(text);
    a.ReadData1_4Option(*in);
    EXPECT_EQ(a.MaxShift, 3) << text;
    EXPECT_EQ(a.MaxCycle, 8);
    EXPECT_EQ(a.ShiftFactor, 0.8f);
    EXPECT_FALSE(a.IGSTF);
    EXPECT_FALSE(a.ISHEAR);
    EXPECT_EQ(a.OptionInitialB, 0);
    EXPECT_EQ(a.OutputOption, 2);
    EXPECT_EQ(a.Title, "kept");
  }
}

TEST(Analysis, TruncatedRunLinesFailAndKeepWhatWasRead) {
  model::Analysis a;
  auto in = InputOf("\"T\"\r\n\"D\"\r\n");
  EXPECT_EQ(ErrorOf([&] { a.ReadData1_4(*in); }), 62);
  EXPECT_EQ(a.Title, "T");
  EXPECT_EQ(a.Discription, "D");
  EXPECT_EQ(a.RunID, "0");
}

TEST(BeamShape, GirderLinesUseTheFileOrder) {
  model::BeamShape s;
  s.set_Bot_Flange_T(1);
  s.set_Bot_Flange_W(2);
  s.set_Length(3);
  s.set_Top_Flange_T(4);
  s.set_Top_Flange_W(5);
  s.set_Web_H(6);
  s.set_Web_T(7);
  s.set_Bot_Flange_TE(8);
  s.set_Bot_Flange_WE(9);
  s.set_Top_Flange_TE(10);
  s.set_Top_Flange_WE(11);
  s.set_Web_HE(12);
  s.set_Web_TE(13);
  s.set_Offset(-1.5f);
  s.set_ProportionalMesh(1);
  std::string text = Written([&](platform::TextFile& f) { s.StoreData1_4(f); });
  EXPECT_EQ(text, "1,2,3,4,5,6,7\r\n8,9,10,11,12,13,-1.5,1\r\n");
  model::BeamShape t;
  auto in = InputOf(text);
  t.ReadData1_4(*in);
  EXPECT_EQ(Written([&](platform::TextFile& f) { t.StoreData1_4(f); }, "again.txt"), text);
}

TEST(Material, DefaultsAndRecord) {
  model::Material m;
  EXPECT_EQ(Written([&](platform::TextFile& f) { m.StoreData1_4(f); }), "29000,0.3\r\n");
  auto in = InputOf("200000,.25\n");
  m.ReadData(*in);
  EXPECT_EQ(m.MOE(), 200000.0f);
  EXPECT_EQ(m.PR(), 0.25f);
}
