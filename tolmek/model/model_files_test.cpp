#include "tolmek/model/model_files.h"

#include <unistd.h>

#include <iomanip>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace {

using testing_util::read_file;
using testing_util::ScopedTempDir;
using Names = std::vector<std::string>;

// The two-state model used throughout: exact in single precision.
RECORD__ two_state_record() {
  RECORD__ r;
  r.src = 0;
  r.tgt = 1;
  r.delay = 3;
  r.annerr = 0.02;
  r.mrgeps = 0.01;
  r.gamma = 0.25;
  r.pfsa.aut = {{0, {{0, 1}, {1, 0}}}, {1, {{0, 1}, {1, -1}}}};
  r.pfsa.pit = {{0, {0.25, 0.75}}, {1, {0.5, 0.5}}};
  r.pfsa.Xpit = {{0, {0.9}}};  // never written
  return r;
}

// What a run that found no model leaves in its record.
RECORD__ empty_record() {
  RECORD__ r;
  r.src = 2;
  r.tgt = 0;
  r.delay = 1;
  PFSA none;
  r.pfsa = none;
  return r;
}

const char kTwoStateText[] =
    "#SEQNAME\n0\n#SEQNAMEB\n1\n#CONNX\n1 0 \n1 -1 \n\n#PITILDE\n"
    "0.25 0.75 \n0.5 0.5 \n\n#DELAY\n3\n#ANNERR \n0.02\n#MRGEPS \n0.01\n"
    "#GAMMA \n0.25\n";

const char kTwoStateJson[] =
    "{\"_0_1_DEL_3.mod\":{\"aut\":[[0,[1,0]],[1,[1,-1]]],\"delay\":3,"
    "\"gamma\":0.25,\"pit\":[[0,[0.25,0.75]],[1,[0.5,0.5]]],\"src\":0,"
    "\"tgt\":1}}\n";

std::string text_model(const RECORD__& r, const Names& names = {}) {
  std::ostringstream os;
  write_text_model(os, r, names);
  return os.str();
}

}  // namespace

TEST(ModelFilesTest, TextModelOfTwoStateRecord) {
  ScopedTempDir dir;
  RECORD__ r = two_state_record();
  const std::string path = dir.file("model" + model_file_name(r, {}));
  EXPECT_EQ("model_0_1_DEL_3.mod", "model" + model_file_name(r, {}));
  write_text_model_file(path, r, {});
  EXPECT_EQ(kTwoStateText, read_file(path));
}

TEST(ModelFilesTest, JsonDocumentOfTwoStateRecord) {
  ScopedTempDir dir;
  nlohmann::json doc;
  add_json_model(doc, two_state_record(), {});
  write_json_document(doc, dir.path() + "/");
  EXPECT_EQ(kTwoStateJson, read_file(dir.file("model.json")));
}

TEST(ModelFilesTest, RecordWithoutModel) {
  const RECORD__ r = empty_record();
  EXPECT_EQ(
      "#SEQNAME\n2\n#SEQNAMEB\n0\n#CONNX\n\n\n#PITILDE\n\n#DELAY\n1\n"
      "#ANNERR \n0\n#MRGEPS \n0\n#GAMMA \n0\n",
      text_model(r));
  EXPECT_EQ(
      "{\"aut\":[[0,[]]],\"delay\":1,\"gamma\":0.0,\"pit\":[],\"src\":2,"
      "\"tgt\":0}",
      json_model(r, {}).dump());
}

TEST(ModelFilesTest, NamesReplaceNumbers) {
  RECORD__ r = two_state_record();
  const Names names = {"x", "y", "z"};
  EXPECT_EQ("_x_y_DEL_3", model_name(r, names));
  const std::string text = text_model(r, names);
  EXPECT_EQ(0u, text.find("#SEQNAME\nx\n#SEQNAMEB\ny\n#CONNX\n")) << text;

  nlohmann::json doc;
  add_json_model(doc, r, names);
  ASSERT_TRUE(doc.contains("_x_y_DEL_3.mod"));
  EXPECT_EQ("\"x\"", doc["_x_y_DEL_3.mod"]["src"].dump());
  EXPECT_EQ("\"y\"", doc["_x_y_DEL_3.mod"]["tgt"].dump());

  r.src = 2;
  r.tgt = 0;
  r.delay = 4;
  EXPECT_EQ("_z_x_DEL_4.mod", model_file_name(r, names));
  EXPECT_EQ("_2_0_DEL_4.mod", model_file_name(r, {}));
  r.src = 3;
  EXPECT_THROW(model_name(r, names), ModelError);
  EXPECT_THROW(json_model(r, names), ModelError);
}

TEST(ModelFilesTest, LongNamesAreKeptWhole) {
  RECORD__ r = two_state_record();
  const std::string long_name(5000, 'n');
  EXPECT_EQ("_" + long_name + "_y_DEL_3", model_name(r, {long_name, "y"}));
}

TEST(ModelFilesTest, DocumentListsModelsInKeyOrder) {
  RECORD__ a = two_state_record();
  a.tgt = 1;
  a.delay = 1;
  a.gamma = 0.9;
  RECORD__ b = two_state_record();
  b.tgt = 10;
  b.delay = 1;
  b.gamma = 0.1;
  nlohmann::json doc;
  add_json_model(doc, a, {});
  add_json_model(doc, b, {});
  const std::string text = doc.dump();
  const auto ten = text.find("\"_0_10_DEL_1.mod\"");
  const auto one = text.find("\"_0_1_DEL_1.mod\"");
  ASSERT_NE(std::string::npos, ten);
  ASSERT_NE(std::string::npos, one);
  EXPECT_LT(ten, one);

  // A later record with the same key replaces the earlier member.
  a.gamma = 0.5;
  add_json_model(doc, a, {});
  EXPECT_EQ(2u, doc.size());
  EXPECT_EQ(0.5, doc["_0_1_DEL_1.mod"]["gamma"].get<double>());
}

TEST(ModelFilesTest, EmptyDocumentIsNull) {
  ScopedTempDir dir;
  write_json_document(nlohmann::json(), dir.file("run1_"));
  EXPECT_EQ("null\n", read_file(dir.file("run1_model.json")));
}

TEST(ModelFilesTest, OneThirdShortInTextFullInJson) {
  RECORD__ r = empty_record();
  const double third = static_cast<float>(1.0 / 3.0);
  const double two_thirds = static_cast<float>(2.0 / 3.0);
  r.pfsa.aut = {{0, {{0, 0}}}};
  r.pfsa.pit = {{0, {third, two_thirds}}};
  EXPECT_NE(std::string::npos,
            text_model(r).find("#PITILDE\n0.333333 0.666667 \n\n"));

  const std::string json = json_model(r, {}).dump();
  const auto at = json.find("\"pit\":[[0,[");
  ASSERT_NE(std::string::npos, at);
  std::istringstream numbers(json.substr(at + 11));
  double read_third = 0;
  char comma = 0;
  numbers >> read_third >> comma;
  EXPECT_EQ(third, read_third) << json;
  EXPECT_EQ(',', comma);
  EXPECT_NE(std::string::npos, json.find("0.33333334326744")) << json;
}

TEST(ModelFilesTest, TextModelIgnoresStreamFormatAndRestoresIt) {
  const RECORD__ r = two_state_record();
  std::ostringstream os;
  os << std::hex << std::fixed << std::setprecision(2);
  const auto flags = os.flags();
  write_text_model(os, r, {});
  EXPECT_EQ(kTwoStateText, os.str());
  EXPECT_EQ(flags, os.flags());
  EXPECT_EQ(2, os.precision());
}

TEST(ModelFilesTest, UnwritableFilesThrowNamingTheFile) {
  ScopedTempDir dir;
  const RECORD__ r = two_state_record();
  const std::string missing = dir.file("no/such/dir_");
  try {
    write_json_document(nlohmann::json(), missing);
    FAIL() << "no exception";
  } catch (const ModelFileError& e) {
    EXPECT_EQ(missing + "model.json", e.file());
    EXPECT_NE(std::string::npos, std::string(e.what()).find(e.file()));
  }
  EXPECT_THROW(write_text_model_file(missing + "model_0_1_DEL_3.mod", r, {}),
               ModelFileError);

  // Opened, but the writes fail: a full device.
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  EXPECT_THROW(write_text_model_file("/dev/full", r, {}), ModelFileError);
  ASSERT_EQ(0, symlink("/dev/full", dir.file("full_model.json").c_str()));
  EXPECT_THROW(write_json_document(nlohmann::json(), dir.file("full_")),
               ModelFileError);
}

TEST(ModelFilesTest, InvalidUtf8IsReplacedLikeTheJsonLibraryDoes) {
  // clang-format off
  const char* kCases[] = {
      "plain",
      "\xC3\xA9t\xC3\xA9",      // valid two-byte
      "\xF0\x9F\x98\x80",       // valid four-byte
      "\x80",                   // stray continuation byte
      "a\xC0\xAF" "b",          // overlong form
      "\xE2\x82",               // cut short at the end
      "\xE2\x82" "A",           // cut short by an ASCII byte
      "\xED\xA0\x80",           // surrogate
      "\xF4\x90\x80\x80",       // beyond U+10FFFF
      "\xFF\xFE",               // bytes that start nothing
      "x\xE2\x82\xE2",          // two cut sequences
      "\xF0\x9F\x98",           // cut four-byte
      "\xE0\x80\x80",           // overlong three-byte
  };
  // clang-format on
  for (const char* c : kCases) {
    const std::string s = c;
    const std::string want = nlohmann::json(s).dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace);
    EXPECT_EQ(want, nlohmann::json(replace_invalid_utf8(s)).dump()) << s;
    bool library_accepts = true;
    try {
      (void)nlohmann::json(s).dump();
    } catch (const nlohmann::json::type_error&) {
      library_accepts = false;
    }
    EXPECT_EQ(library_accepts, is_valid_utf8(s)) << s;
  }
}

TEST(ModelFilesTest, InvalidNameIsReplacedInJsonOnly) {
  ScopedTempDir dir;
  const RECORD__ r = two_state_record();
  const Names names = {
      "a\xFF"
      "b",
      "y"};
  nlohmann::json doc;
  add_json_model(doc, r, names);
  write_json_document(doc, dir.path() + "/");
  const std::string fffd = "\xEF\xBF\xBD";
  const std::string json = read_file(dir.file("model.json"));
  EXPECT_EQ(0u, json.find("{\"_a" + fffd + "b_y_DEL_3.mod\":{")) << json;
  EXPECT_NE(std::string::npos, json.find("\"src\":\"a" + fffd + "b\""));

  EXPECT_EQ(
      "_a\xFF"
      "b_y_DEL_3.mod",
      model_file_name(r, names));
  EXPECT_EQ(0u, text_model(r, names).find("#SEQNAME\na\xFF"
                                          "b\n"));
}
