#include "data/memtable.h"

#include <gtest/gtest.h>

namespace corv {
namespace {

using pdx::Value;

MemTable Messages() {
  MemTable m(*TrouverTableMemoire("rxmdMessage"));
  EXPECT_TRUE(m.Append({Value::Int(1), Value::Int(20), Value::Int(1), Value::Text("b")}).ok());
  EXPECT_TRUE(m.Append({Value::Int(0), Value::Int(3), Value::Int(1), Value::Text("A")}).ok());
  EXPECT_TRUE(m.Append({Value::Int(1), Value::Int(4), Value::Int(2), Value::Text("a")}).ok());
  return m;
}

TEST(TableMemoire, AppendChecksTypesAndWidths) {
  MemTable m(*TrouverTableMemoire("rxmdPerso"));
  EXPECT_TRUE(m.Append({Value::Int(1), Value::Text("VZ"), Value::Text("QW"), Value::Text("GX"), Value::Text("01"),
                        Value::Text(std::string(50, 'e'))})
                  .ok());
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m.Get(0, "libelle").text.size(), 50u);
  EXPECT_TRUE(m.Get(0, "Flag").blank);  // missing trailing values are blank
  // Width counts characters, not bytes.
  EXPECT_TRUE(m.Append({Value::Int(1), Value::Text("éé")}).ok());
  pdx::Status s = m.Append({Value::Int(1), Value::Text("VZX")});
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_NE(s.message().find("rxmdPerso.Famille"), std::string::npos);
  EXPECT_TRUE(m.Append({Value::Int(40000)}).IsInvalidArgument());
  EXPECT_TRUE(m.Append(MemTable::Row(8)).IsInvalidArgument());
  EXPECT_EQ(m.size(), 2u);
  EXPECT_TRUE(m.Set(0, "Flag", Value::Int(3)).ok());
  EXPECT_EQ(m.Get(0, 7).i, 3);
  EXPECT_TRUE(m.Set(0, "Nope", Value::Int(3)).IsInvalidArgument());

  MemTable msg(*TrouverTableMemoire("rxmdMessage"));
  EXPECT_TRUE(msg.Append({Value::Int(0), Value::Int(1), Value::Int(1), Value::Text("x"), Value::Blank(),
                          Value::Int(100000)})
                  .ok());  // Importance is 32-bit
}

TEST(TableMemoire, SortsWithoutCaseAndStably) {
  MemTable m = Messages();
  ASSERT_TRUE(m.Sort("Libelle").ok());  // "b", "A", "a" -> "A", "a", "b": equal texts keep their order
  EXPECT_EQ(m.Get(0, "IdMessage").i, 3);
  EXPECT_EQ(m.Get(1, "IdMessage").i, 4);
  ASSERT_TRUE(m.Sort("Externe;IdMessage").ok());
  EXPECT_EQ(m.Get(0, "IdMessage").i, 3);
  EXPECT_EQ(m.Get(1, "IdMessage").i, 4);
  EXPECT_EQ(m.Get(2, "IdMessage").i, 20);
  ASSERT_TRUE(m.Sort("Libelle").ok());  // "A", "a" keep their order; then "b"
  EXPECT_EQ(m.Get(0, "Libelle").text, "A");
  EXPECT_EQ(m.Get(1, "Libelle").text, "a");
  EXPECT_EQ(m.Get(2, "Libelle").text, "b");
  EXPECT_TRUE(m.Sort("Externe;Missing").IsInvalidArgument());
  ASSERT_TRUE(m.Append({Value::Blank(), Value::Int(9)}).ok());
  ASSERT_TRUE(m.Sort("Externe").ok());
  EXPECT_EQ(m.Get(0, "IdMessage").i, 9);  // blank first
  size_t n = 0;
  for (const auto& row : m) n += row.size() == m.fields().size();
  EXPECT_EQ(n, 4u);
}

TEST(TableMemoire, FindsByKeyWithOrWithoutCase) {
  MemTable m = Messages();
  long row = -2;
  ASSERT_TRUE(m.Find("Externe;IdMessage", {Value::Int(1), Value::Int(4)}, true, &row).ok());
  EXPECT_EQ(row, 2);
  ASSERT_TRUE(m.Find("Libelle", {Value::Text("a")}, true, &row).ok());
  EXPECT_EQ(row, 2);
  ASSERT_TRUE(m.Find("Libelle", {Value::Text("a")}, false, &row).ok());
  EXPECT_EQ(row, 1);
  ASSERT_TRUE(m.Find("Externe;IdMessage", {Value::Int(5)}, true, &row).ok());
  EXPECT_EQ(row, -1);
  EXPECT_TRUE(m.Find("Externe", {Value::Int(1), Value::Int(2)}, true, &row).IsInvalidArgument());
  ASSERT_TRUE(m.Delete(1).ok());
  ASSERT_TRUE(m.Find("Libelle", {Value::Text("a")}, false, &row).ok());
  EXPECT_EQ(row, 1);
}

}  // namespace
}  // namespace corv
