// The pdx tool end to end: output formats and exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "support/test_util.h"

namespace {

const std::string kPdx = std::string(CORVANES_BINARY_DIR) + "/pdx";

// Runs pdx with args; returns the exit code, stdout in *out.
int RunPdx(const std::string& args, std::string* out) {
  return testutil::RunCommand(kPdx + " " + args + " 2>/dev/null", out);
}

class PdxTool : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testutil::SamplesDir().empty()) GTEST_SKIP() << "Paradox samples not found";
    if (::access(kPdx.c_str(), X_OK) != 0) GTEST_SKIP() << "pdx not built at " << kPdx;
  }
  std::string S(const std::string& rel) { return testutil::SamplesDir() + "/" + rel; }
};

TEST_F(PdxTool, DumpJsonLinesTypes) {
  std::string out;
  ASSERT_EQ(RunPdx("dump " + S("misc/TypSammlung.DB"), &out), 0);
  std::string first = out.substr(0, out.find('\n'));
  EXPECT_EQ(first,
            "{\"Alpha\": \"AAA Irgendein Text\", \"Numerisch\": 40, \"Währung\": 40, \"Integer kurz\": 40, "
            "\"Integer lang\": 40, \"BCD\": \"40.000000\", \"Datum\": \"1970-01-01\", \"Zeit\": \"00:00:00.000\", "
            "\"Datum/Zeit\": \"1970-01-01T11:00:00.000\", \"Memo\": null, \"Logisch\": null, \"Zähler\": 1, "
            "\"Binär\": null, \"Bytes\": null}");
  EXPECT_NE(out.find("\"Numerisch\": 1.34,"), std::string::npos);
  EXPECT_NE(out.find("\"Logisch\": true"), std::string::npos);
  EXPECT_NE(out.find("\"Memo\": \"Dies ist eine Memo im 'Fünften Datensat'\""), std::string::npos);

  ASSERT_EQ(RunPdx("dump " + S("dbdemos/biolife.db"), &out), 0);
  EXPECT_NE(out.find("\"Graphic\": {\"base64\": \"AQAAAd6XAABCTd6X"), std::string::npos);
  EXPECT_NE(out.find("pearl oysters.\\n\\nDo not eat"), std::string::npos);
}

TEST_F(PdxTool, DumpCsvAndIndexOrder) {
  std::string out;
  ASSERT_EQ(RunPdx("dump " + S("dbdemos/vendors.db") + " --format csv", &out), 0);
  EXPECT_EQ(out.substr(0, out.find('\n')),
            "VendorNo;VendorName;Address1;Address2;City;State;Zip;Country;Phone;FAX;Preferred");
  EXPECT_NE(out.find("\n2014;Cacor Corporation;161 Southfield Rd;;Southfield;OH;60093;U.S.A.;708-555-9555;"
                     "708-555-7547;true\n"),
            std::string::npos);
  ASSERT_EQ(RunPdx("dump " + S("dbdemos/customer.db") + " --index ByCompany", &out), 0);
  EXPECT_EQ(out.find("{\"CustNo\": 1645, \"Company\": \"Action Club\""), 0u) << out.substr(0, 80);
  EXPECT_EQ(RunPdx("dump " + S("dbdemos/customer.db") + " --index NoSuchIndex", &out), 2);
  EXPECT_EQ(RunPdx("dump " + S("dbdemos/customer.db") + " --format xml", &out), 2);
}

TEST_F(PdxTool, InfoAndCheckExitCodes) {
  std::string out;
  ASSERT_EQ(RunPdx("info " + S("dbdemos/customer.db"), &out), 0);
  EXPECT_NE(out.find("level: 5.x"), std::string::npos);
  EXPECT_NE(out.find("records: 55"), std::string::npos);
  EXPECT_NE(out.find("  13 LastInvoiceDate @ 8"), std::string::npos);
  EXPECT_NE(out.find("customer.xg0 \"ByCompany\" (Company)"), std::string::npos);

  EXPECT_EQ(RunPdx("check " + S("dbdemos/orders.db"), &out), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(RunPdx("check /nonexistent/none.db", &out), 2);

  testutil::TempDir tmp;
  std::string bytes = testutil::ReadFile(S("dbdemos/vendors.db"));
  bytes[0x06] = 30;  // record count 30, the blocks hold 23
  testutil::WriteFile(tmp.file("vendors.db"), bytes);
  ASSERT_EQ(RunPdx("check " + tmp.file("vendors.db"), &out), 1);
  EXPECT_NE(out.find("vendors.db: the header counts 30 records, the data blocks hold 23"), std::string::npos) << out;
  EXPECT_EQ(RunPdx("dump " + tmp.file("vendors.db"), &out), 2);

  // Without its .MB, biolife still dumps every record; the values that need the
  // blob file come out null and the exit code says something was missing.
  testutil::CopyFile(S("dbdemos/biolife.db"), tmp.file("biolife.db"));
  ASSERT_EQ(RunPdx("dump " + tmp.file("biolife.db"), &out), 1);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 28);
  EXPECT_NE(out.find("\"Common_Name\": \"Clown Triggerfish\""), std::string::npos);
  EXPECT_NE(out.find("\"Notes\": null, \"Graphic\": null}"), std::string::npos);
}

}  // namespace
