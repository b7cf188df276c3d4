#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "tests/model/MeshTestSupport.h"
#include "tests/model/TestFiles.h"

using namespace testfiles;

namespace {

// A 4 x 3 girder-like model: flanges on the first and last row, plates with
// thicknesses, restraints, springs, loads and results on the nodes.
void BuildModel(model::Mesh& mesh) {
  velk_test::GenerateGrid(mesh, 0, 0, 0, 16, 120, 0, 120, 20, 4, 3);
  model::Nodes& nodes = mesh.Nodes();
  mesh.twoNodes().GenerateCP();
  mesh.fourNodes().GenerateCP();
  for (long e : {1L, 2L, 3L, 7L, 8L, 9L}) {
    mesh.twoNodes().Item(e).set_width(12);
    mesh.twoNodes().Item(e).set_Thickness(0.5f);
    mesh.twoNodes().Item(e).set_Stress(-1234.5678f * e);
    mesh.twoNodes().Item(e).UpdatePropertyDefined();
  }
  long k = 0;
  for (model::fourNode& p : mesh.fourNodes()) {
    p.set_Thickness(k++ == 2 ? 0 : 0.3125f + 0.01f * k);
    p.UpdatePropertyDefined();
  }
  mesh.fourNodes().UpdateMaxThickness();
  mesh.twoNodes().GeneratevID();
  mesh.fourNodes().GeneratevID();
  nodes.GeneratevID(mesh.fourNodes(), mesh.twoNodes());
  nodes.Item(1).set_XTDir(1);
  nodes.Item(1).set_ZTDir(1);
  nodes.Item(2).set_YTDirValue(-0.001f);
  nodes.Item(2).set_YTDir(1);
  nodes.Item(5).set_ZTStiff(1e6f);
  nodes.Item(12).set_XLoad(-100);
  nodes.Item(11).set_YLoad(3.3f);
  for (model::Nodeb& n : nodes) {
    n.UpdatePropertyDefined();
    n.set_InPDispX(n.xcoord() * 1e-4f);
    n.set_InPDispY(-n.ycoord() / 3.0f);
    n.set_zcoord(n.vID() ? 1.0f / n.vID() : 0);
    n.set_Sx(n.xcoord() * 7.1f);
    n.set_Sy(-2.5e-7f);
    n.set_SXY(1e30f);
    n.set_Mises(n.ID() * 0.1f);
  }
}

void StoreProject(platform::TextFile& f, const model::Analysis& a, const model::BeamShape& b, const model::Mesh& m,
                  const model::Material& mat) {
  a.StoreData1_4(f);
  b.StoreData1_4(f);
  m.StoreData1_4(f);
  mat.StoreData1_4(f);
}

std::string SavedModel() {
  model::Mesh mesh;
  BuildModel(mesh);
  model::Analysis a;
  a.Title = "Girder, span 2";
  a.Discription = "";
  a.EigenValue = 1.2345e-3f;
  model::BeamShape b;
  b.set_ProportionalMesh(1);
  model::Material mat;
  return Written([&](platform::TextFile& f) { StoreProject(f, a, b, mesh, mat); }, "saved.inp");
}

}  // namespace

TEST(ProjectRecords, StoreReadStoreIsByteIdentical) {
  std::string first = SavedModel();
  model::Analysis a;
  model::BeamShape b;
  model::Mesh mesh;
  model::Material mat;
  auto in = InputOf(first);
  a.ReadData1_4(*in);
  b.ReadData1_4(*in);
  mesh.ReadData1_4(*in);
  mat.ReadData1_4(*in);
  EXPECT_TRUE(in->AtEnd());
  EXPECT_EQ(a.Title, "Girder, span 2");
  EXPECT_EQ(mesh.Nodes().Count(), 12);
  EXPECT_EQ(mesh.twoNodes().Count(), 17);
  EXPECT_EQ(mesh.fourNodes().Count(), 6);
  // Elements refer to the nodes that were read, not to copies.
  EXPECT_EQ(&mesh.fourNodes().Item(6).Node3(), &mesh.Nodes().Item(12));
  EXPECT_EQ(&mesh.twoNodes().Item("17").Node2(), &mesh.Nodes().Item("12"));
  std::string second = Written([&](platform::TextFile& f) { StoreProject(f, a, b, mesh, mat); }, "again.inp");
  EXPECT_EQ(first, second);
}

TEST(ProjectRecords, AGermanLocaleStillWritesAndReadsPoints) {
  std::string plain = SavedModel();
  std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
  std::string german = SavedModel();
  model::Mesh mesh;
  auto in = InputOf(plain);
  model::Analysis a;
  model::BeamShape b;
  int err = ErrorOf([&] {
    a.ReadData1_4(*in);
    b.ReadData1_4(*in);
    mesh.ReadData1_4(*in);
  });
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(german, plain);
  EXPECT_EQ(err, 0);
  EXPECT_FLOAT_EQ(mesh.fourNodes().Item(1).Thickness(), 0.3225f);
}

TEST(ProjectRecords, LineFeedOnlyFileReadsTheSame) {
  std::string crlf = SavedModel();
  std::string lf;
  for (char c : crlf)
    if (c != '\r') lf.push_back(c);
  model::Analysis a;
  model::BeamShape b;
  model::Mesh mesh;
  model::Material mat;
  auto in = InputOf(lf);
  a.ReadData1_4(*in);
  b.ReadData1_4(*in);
  mesh.ReadData1_4(*in);
  mat.ReadData1_4(*in);
  EXPECT_EQ(Written([&](platform::TextFile& f) { StoreProject(f, a, b, mesh, mat); }), crlf);
}

TEST(ProjectRecords, EmptyMeshWritesZeroHeaders) {
  model::Mesh mesh;
  EXPECT_EQ(&mesh.Nodes(), &mesh.Nodes());
  std::string text = Written([&](platform::TextFile& f) { mesh.StoreData1_4(f); });
  EXPECT_EQ(text, "0,0,0\r\n0,0\r\n0\r\n0,0\r\n");
  model::Mesh back;
  auto in = InputOf(text);
  back.ReadData1_4(*in);
  EXPECT_EQ(back.Nodes().Count() + back.twoNodes().Count() + back.fourNodes().Count(), 0);
}

TEST(ProjectRecords, NodesThatAreNotTheWholeGridAreNotWritten) {
  model::Mesh mesh;
  mesh.Nodes().Add(1, 2, 1, "1");
  EXPECT_EQ(ErrorOf([&] { (void)Written([&](platform::TextFile& f) { mesh.StoreData1_4(f); }); }), 5);
}

TEST(ProjectRecords, ElementsAreKeyedByPositionAndKeepTheirStoredID) {
  std::string text =
      "2,1,2\r\n"
      "0,0,0,0,0\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,0,#TRUE#\r\n"
      "0,0,0,0,0\r\n0,0\r\n1,1,#TRUE#\r\n0,0,0,0\r\n"
      "5,0,0,0,0\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,0,#TRUE#\r\n"
      "0,0,0,0,0\r\n0,0\r\n2,2,#TRUE#\r\n0,0,0,0\r\n"
      "1,1\r\n2,1\r\n2.5,0\r\n1,1\r\n#TRUE#\r\n1,0\r\n42\r\n"
      "0\r\n0,0\r\n";
  model::Mesh mesh;
  auto in = InputOf(text);
  mesh.ReadData1_4(*in);
  ASSERT_EQ(mesh.twoNodes().Count(), 1);
  const model::twoNode& s = mesh.twoNodes().Item("1");
  EXPECT_EQ(s.ID(), 42);
  EXPECT_EQ(s.Node1().xcoord(), 5.0f);  // stored node number 2 is position 2
  EXPECT_TRUE(s.PropertyDefined());
}

TEST(ProjectRecords, Layout13ReadsNodeLine7AndPlateExtras) {
  // 2 x 2 grid, 4 stiffeners, 1 plate carrying nine trailing values.
  std::string nodes13 = "2,2,4\r\n";
  for (int k = 1; k <= 4; ++k) {
    nodes13 += std::to_string((k - 1) / 2 * 10) + "," + std::to_string((k - 1) % 2 * 10) + ",0,0.1,0.2\r\n";
    nodes13 += "#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,0,#TRUE#\r\n";
    nodes13 += "0,0,0,0,0\r\n0,0\r\n" + std::to_string(k) + "," + std::to_string(k) + "\r\n";
    nodes13 += std::to_string(k) + ".5,-" + std::to_string(k) + "\r\n";
  }
  std::string stiff = "4,0\r\n";
  const int ends[4][2] = {{1, 3}, {2, 4}, {1, 2}, {3, 4}};
  for (int e = 0; e < 4; ++e)
    stiff += std::to_string(ends[e][0]) + "," + std::to_string(ends[e][1]) +
             "\r\n0,0\r\n0,0\r\n#FALSE#\r\n0,0\r\n" + std::to_string(e + 1) + "\r\n";
  std::string plates = "0.5\r\n1,1\r\n1,3,4,2\r\n5,5\r\n0.5\r\n#TRUE#\r\n1,1\r\n1,2,3,4,5,6,7,8,9\r\n";

  model::Analysis a;
  model::BeamShape b;
  b.set_Web_H(99);  // a 1.3 file has no girder lines: the section stays
  model::Mesh mesh;
  model::Material mat;
  auto in = InputOf("\"T\"\r\n\"D\"\r\n\"1\"\r\n0,0\r\n" + nodes13 + stiff + plates + "30000,0.25\r\n");
  a.ReadData(*in);
  mesh.ReadData(*in);
  mat.ReadData(*in);
  EXPECT_TRUE(in->AtEnd());
  EXPECT_EQ(b.Web_H(), 99.0f);
  EXPECT_EQ(mat.MOE(), 30000.0f);
  ASSERT_EQ(mesh.Nodes().Count(), 4);
  EXPECT_EQ(mesh.Nodes().Item(3).InPDispX(), 3.5f);
  EXPECT_EQ(mesh.Nodes().Item(3).InPDispY(), -3.0f);
  EXPECT_EQ(mesh.Nodes().Item(3).xcoord(), 10.0f);
  ASSERT_EQ(mesh.fourNodes().Count(), 1);
  EXPECT_EQ(mesh.fourNodes().Item(1).Node2().ID(), 3);
  EXPECT_EQ(mesh.fourNodes().MaxThickness(), 0.5f);
  EXPECT_EQ(mesh.twoNodes().Item(4).Node1().ID(), 3);
}

// Every cut of a saved file, and a set of damaged ones, must end in a
// RuntimeError and leave only whole items behind (this runs under ASan/UBSan).
TEST(DamagedFiles, EveryTruncationIsAnErrorAndLeavesOnlyWholeItems) {
  std::string full = SavedModel();
  for (std::size_t cut = 0; cut < full.size(); cut += 7) {
    model::Analysis a;
    model::BeamShape b;
    model::Mesh mesh;
    model::Material mat;
    auto in = InputOf(full.substr(0, cut));
    int err = ErrorOf([&] {
      a.ReadData1_4(*in);
      b.ReadData1_4(*in);
      mesh.ReadData1_4(*in);
      mat.ReadData1_4(*in);
    });
    // A cut inside the last number can still read as a (shorter) number.
    if (cut + 12 < full.size()) {
      ASSERT_NE(err, 0) << cut;
    }
    if (err == 0) continue;
    EXPECT_TRUE(err == 62 || err == 13) << "cut " << cut << " error " << err;
    for (const model::twoNode& s : mesh.twoNodes()) EXPECT_TRUE(s.HasNodes());
    for (const model::fourNode& p : mesh.fourNodes()) EXPECT_TRUE(p.HasNodes());
  }
}

TEST(DamagedFiles, BadCountsAndNodeNumbersAreRefused) {
  const std::string node =
      "0,0,0,0,0\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,0,#FALSE#\r\n"
      "0,0,0,0,0\r\n0,0\r\n1,0,#FALSE#\r\n0,0,0,0\r\n";
  std::string node2 = node;
  node2.replace(node2.find("1,0,#F"), 1, "2");
  const std::string twoNodes = "2,1,0\r\n" + node + node2;
  // A stiffener record after its node numbers.
  const std::string stiffenerRest = "\r\n0,0\r\n0,0\r\n#FALSE#\r\n0,0\r\n1\r\n";
  struct Case {
    std::string text;
    int error;
  } cases[] = {
      {"-1,2,0\r\n", 6},
      {"40000,1,0\r\n", 6},
      {"1,1,5\r\n" + node, 6},                                     // MaxvID above the node count
      {"2147483647,2147483647,0\r\n", 6},                           // nothing allocated for it
      {"1,1,0\r\n" + node.substr(0, node.find("#FALSE#")), 62},
      {"1,1,0\r\n" + std::string(node).replace(0, 1, "x"), 13},
      {"1,1,0\r\n" + std::string(node).replace(node.find("1,0,#F"), 3, "1,3"), 9},  // vID beyond the nodes
      {twoNodes + "1,0\r\n1,3" + stiffenerRest, 9},  // node 3 does not exist
      {twoNodes + "1,0\r\n0,1" + stiffenerRest, 9},
      {twoNodes + "1,0\r\n1,-2147483648" + stiffenerRest, 9},
      {twoNodes + "1,0\r\n1,2147483648" + stiffenerRest, 6},
      {twoNodes + "1,0\r\n1,2\r\n0,0\r\n0,0\r\n#TRUE#\r\n", 62},     // truncated element
      {twoNodes + "-3,0\r\n", 6},
      {twoNodes + "1,2\r\n", 6},                                     // MaxvID above the count
      {twoNodes + "2000000000,0\r\n1,2\r\n0,0\r\n0,0\r\n#TRUE#\r\n0,0\r\n1\r\n", 62},
      {twoNodes + "0,0\r\n0\r\n1,0\r\n1,2,2,9\r\n0,0\r\n0\r\n#FALSE#\r\n1,0\r\n", 9},
      {twoNodes + "0,0\r\n0\r\n1,0\r\n1,2,2,1\r\n0,0\r\n0\r\n#TRUE#\r\n1,7\r\n", 9},  // plate vID
  };
  for (const Case& c : cases) {
    model::Mesh mesh;
    auto in = InputOf(c.text);
    EXPECT_EQ(ErrorOf([&] { mesh.ReadData1_4(*in); }), c.error) << c.text;
    for (const model::twoNode& s : mesh.twoNodes()) EXPECT_TRUE(s.HasNodes());
    for (const model::fourNode& p : mesh.fourNodes()) EXPECT_TRUE(p.HasNodes());
    EXPECT_LE(mesh.twoNodes().Count(), 1);
  }
}

// A count the rest of the file cannot hold is refused at its header, before a
// single record is read or anything is made for it; a file whose records
// are as short as records can be is not.
TEST(DamagedFiles, CountsTheFileCannotHoldAreRefusedBeforeTheirRecords) {
  // The shortest records, fields in their order: 'n' a number of one digit,
  // 'b' "#TRUE#", any other character itself, one comma between fields.
  auto shortest = [](const std::string& fields) {
    std::string s;
    for (char f : fields)
      s += (s.empty() ? "" : ",") + (f == 'n' ? "0" : f == 'b' ? "#TRUE#" : std::string(1, f));
    return s;
  };
  // Nodes with ID and vID 1 or 2; a stiffener without its property (sizes
  // 0, vID 0); a plate with thickness 1 numbered 1 or 2.
  auto node14 = [&](char id) { return shortest(std::string("nnnnnbbbbbbbbbnnbnnnnnnn") + id + id + "bnnnn"); };
  auto node13 = [&](char id) { return shortest(std::string("nnnnnbbbbbbbbbnnbnnnnnnn") + id + id + "nn"); };
  auto stiffener = [&](char vid) { return shortest(std::string("12nn11b") + vid + "n1"); };
  auto plate = [&](char vid) { return shortest(std::string("1221nn1b1") + vid); };
  model::Nodes nodes;
  {
    auto in = InputOf("2,1,2," + node14('1') + "," + node14('2'));
    nodes.ReadData1_4(*in);
    EXPECT_TRUE(in->AtEnd());
  }
  {
    model::Nodes old;
    auto in = InputOf("2,1,2," + node13('1') + "," + node13('2'));
    old.ReadData(*in);
    EXPECT_EQ(old.Count(), 2);
  }
  {
    auto in = InputOf("2,2," + stiffener('1') + "," + stiffener('2'));
    model::twoNodes elements;
    elements.ReadData1_4(*in, nodes);
    EXPECT_EQ(elements.Count(), 2);
    auto in14 = InputOf("1,2,2," + plate('1') + "," + plate('2'));
    model::fourNodes plates;
    plates.ReadData1_4(*in14, nodes);
    EXPECT_EQ(plates.Count(), 2);
    const std::string nine = shortest("nnnnnnnnn");
    auto in13 = InputOf("1,2,2," + plate('1') + "," + nine + "," + plate('2') + "," + nine);
    model::fourNodes old;
    old.ReadData(*in13, nodes);
    EXPECT_EQ(old.Count(), 2);
  }

  const std::string node = node14('1');
  const struct {
    std::string text;
    std::string reason;
    long nodes;  // read before the refusal
  } cases[] = {
      {"32767,32767,0\r\n" + node + "\r\n" + node,
       "Node header, line 1, field NumberNodesY: a grid of 32767 by 32767 nodes needs 1073676289 node "
       "records, but the rest of the file has room for at most 2.", 0},
      {"2,1,2\r\n" + node14('1'), "Node header, line 1, field NumberNodesY: a grid of 2 by 1 nodes needs 2 "
                                  "node records, but the rest of the file has room for at most 1.", 0},
      {"2,1,2\r\n" + node14('1') + "\r\n" + node14('2') + "\r\n2000000000,0\r\n" + stiffener('0'),
       "Stiffener header, line 4, field Count: the file says 2000000000 stiffeners, but the rest of it has "
       "room for at most 1.", 2},
      {"2,1,2\r\n" + node14('1') + "\r\n" + node14('2') + "\r\n0,0\r\n1,3,2\r\n" + plate('1') + "\r\n" +
           plate('2'),
       "Plate header, line 5, field Count: the file says 3 plates, but the rest of it has room for at most 2.",
       2},
  };
  for (const auto& c : cases) {
    model::Mesh mesh;
    auto in = InputOf(c.text);
    try {
      mesh.ReadData1_4(*in);
      ADD_FAILURE() << c.text;
    } catch (const platform::RuntimeError& e) {
      EXPECT_EQ(e.number(), 62);
      EXPECT_EQ(e.description(), c.reason);
    }
    EXPECT_EQ(mesh.Nodes().Count(), c.nodes);
    EXPECT_EQ(mesh.twoNodes().Count() + mesh.fourNodes().Count(), 0);
  }
}
