// TVariant conversions as cells and automation calls use them, and the
// automation interface's conveniences.
#include "platform/Variant.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Automation.h"
#include "platform/Exception.h"

namespace zyl {
namespace {

void ExpectCastError(const std::function<void()>& op, const std::string& message) {
  try {
    op();
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const EVariantError& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(Variant, NullAndEmptyReadAsNothing) {
  for (const TVariant& v : {TVariant(), TVariant::Null()}) {
    EXPECT_TRUE(v.IsNullOrEmpty());
    EXPECT_EQ(v.ToString(), "");
    EXPECT_EQ(v.ToInt64(), 0);
    EXPECT_EQ(v.ToDouble(), 0);
    EXPECT_FALSE(v.ToBoolean());
    EXPECT_EQ(v.ToDateTime(), 0);
  }
  EXPECT_TRUE(TVariant().IsEmpty());
  EXPECT_TRUE(TVariant::Null().IsNull());
  EXPECT_FALSE(TVariant("").IsNullOrEmpty());
  EXPECT_EQ(TVariant().KindName(), "Empty");
  EXPECT_EQ(TVariant::Null().KindName(), "Null");
}

TEST(Variant, TextToBoolean) {
  EXPECT_TRUE(TVariant("True").ToBoolean());
  EXPECT_TRUE(TVariant("TRUE").ToBoolean());
  EXPECT_FALSE(TVariant("false").ToBoolean());
  EXPECT_TRUE(TVariant("1").ToBoolean());
  EXPECT_TRUE(TVariant("-1").ToBoolean());
  EXPECT_FALSE(TVariant("0").ToBoolean());
  EXPECT_FALSE(TVariant("0.0").ToBoolean());
}

TEST(Variant, TextThatIsNoBooleanRaises) {
  const std::string message = "Could not convert variant of type (String) into type (Boolean)";
  for (const char* text : {"on", "yes", "", "truth", " "}) {
    ExpectCastError([&] { TVariant(text).ToBoolean(); }, message);
  }
}

TEST(Variant, BooleansAsTextAndNumbers) {
  EXPECT_EQ(TVariant(true).ToString(), "True");
  EXPECT_EQ(TVariant(false).ToString(), "False");
  EXPECT_EQ(TVariant(true).ToInt64(), -1);
  EXPECT_EQ(TVariant(false).ToDouble(), 0);
  EXPECT_TRUE(TVariant(2).ToBoolean());
  EXPECT_FALSE(TVariant(0.0).ToBoolean());
  EXPECT_TRUE(TVariant(TVariant(true).ToString()).ToBoolean());  // round trip through text
}

TEST(Variant, NumbersAsTextUseTheGeneralFormat) {
  EXPECT_EQ(TVariant(1234.5).ToString(), "1234.5");
  EXPECT_EQ(TVariant(10.0).ToString(), "10");
  EXPECT_EQ(TVariant(1.0 / 3).ToString(), "0.333333333333333");
  EXPECT_EQ(TVariant(1e20).ToString(), "1E20");
  EXPECT_EQ(TVariant(-42).ToString(), "-42");
  EXPECT_EQ(TVariant(std::int64_t{9007199254740993}).ToString(), "9007199254740993");
  EXPECT_EQ(TVariant(-2).KindName(), "Int64");
  EXPECT_EQ(TVariant(2.5).KindName(), "Double");
}

TEST(Variant, TextToNumbers) {
  EXPECT_EQ(TVariant("42").ToInt64(), 42);
  EXPECT_EQ(TVariant(" 42").ToInt64(), 42);
  EXPECT_EQ(TVariant("$FF").ToInt64(), 255);
  EXPECT_EQ(TVariant("9223372036854775807").ToInt64(), 9223372036854775807LL);
  EXPECT_EQ(TVariant("2.75").ToInt64(), 3);  // rounded
  EXPECT_DOUBLE_EQ(TVariant("1234.5").ToDouble(), 1234.5);
  EXPECT_DOUBLE_EQ(TVariant(7).ToDouble(), 7);
  ExpectCastError([] { TVariant("abc").ToDouble(); },
                  "Could not convert variant of type (String) into type (Double)");
  ExpectCastError([] { TVariant("abc").ToInt64(); },
                  "Could not convert variant of type (String) into type (Int64)");
  ExpectCastError([] { TVariant(1e300).ToInt64(); },
                  "Could not convert variant of type (Double) into type (Int64)");
}

TEST(Variant, Dates) {
  TDateTime day = EncodeDate(2003, 12, 31);
  TVariant date = TVariant::FromDate(day);
  EXPECT_EQ(date.GetKind(), TVariant::Kind::Date);
  EXPECT_EQ(date.KindName(), "Date");
  EXPECT_EQ(date.ToString(), "31.12.2003");
  EXPECT_EQ(TVariant::FromDate(day + 0.5).ToString(), "31.12.2003 12:00:00");
  EXPECT_EQ(TVariant::FromDate(0.75).ToString(), "18:00:00");
  EXPECT_EQ(date.ToDouble(), day);
  // A time that rounds up to midnight shows the next day without a time.
  EXPECT_EQ(TVariant::FromDate(day + 0.99999999999).ToString(), "01.01.2004");
  EXPECT_EQ(TVariant("31.12.2003").ToDateTime(), day);
  EXPECT_EQ(TVariant("2003-12-31T12:00:00").ToDateTime(), day + 0.5);
  EXPECT_EQ(TVariant("37986.5").ToDateTime(), day + 0.5);  // a number is days
  EXPECT_EQ(TVariant(37986).ToDateTime(), day);
  ExpectCastError([] { TVariant("someday").ToDateTime(); },
                  "Could not convert variant of type (String) into type (Date)");
}

TEST(Variant, ByteArrays) {
  TVariant bytes(std::vector<std::uint8_t>{'a', 0, 'b'});
  EXPECT_EQ(bytes.KindName(), "Array Byte");
  EXPECT_EQ(bytes.ToBytes().size(), 3u);
  EXPECT_EQ(bytes.ToString(), std::string("a\0b", 3));
  ExpectCastError([] { TVariant("x").ToBytes(); },
                  "Could not convert variant of type (String) into type (Array Byte)");
  ExpectCastError([&] { bytes.ToBoolean(); },
                  "Could not convert variant of type (Array Byte) into type (Boolean)");
}

TEST(Variant, EqualityNeedsSameKindAndValue) {
  EXPECT_EQ(TVariant("1"), TVariant("1"));
  EXPECT_FALSE(TVariant("1") == TVariant(1));
  EXPECT_FALSE(TVariant(1) == TVariant(1.0));
  EXPECT_EQ(TVariant::Null(), TVariant::Null());
  EXPECT_FALSE(TVariant::Null() == TVariant());
  EXPECT_FALSE(TVariant::FromDate(1) == TVariant(1.0));
}

// ---------------------------------------------------------------- automation

// A scripted object: remembers every call and keeps properties in a map.
class FakeObject : public IAutoObject {
 public:
  TVariant Invoke(const std::string& name, TInvokeKind kind, std::vector<TVariant>& args) override {
    calls.push_back({name, kind, args});
    if (kind == TInvokeKind::PropertyPut) {
      if (args.empty()) throw Exception("FakeObject: property '" + name + "' needs a value");
      properties[name] = args.back();
      return {};
    }
    if (kind == TInvokeKind::PropertyGet) {
      auto it = properties.find(name);
      if (it == properties.end()) throw Exception("FakeObject: unknown member '" + name + "'");
      return it->second;
    }
    return TVariant(static_cast<int>(args.size()));
  }
  struct Record {
    std::string name;
    TInvokeKind kind;
    std::vector<TVariant> args;
  };
  std::vector<Record> calls;
  std::map<std::string, TVariant> properties;
};

TEST(Automation, ConveniencesPassKindAndArguments) {
  auto object = std::make_shared<FakeObject>();
  object->Put("ContentType", "application/vnd.ms-excel");
  EXPECT_EQ(object->Get("ContentType").ToString(), "application/vnd.ms-excel");
  EXPECT_EQ(object->Call("AddHeader", {"Content-Disposition", "attachment"}).ToInt64(), 2);
  ASSERT_EQ(object->calls.size(), 3u);
  EXPECT_EQ(object->calls[0].kind, TInvokeKind::PropertyPut);
  EXPECT_EQ(object->calls[0].args.size(), 1u);
  EXPECT_EQ(object->calls[1].kind, TInvokeKind::PropertyGet);
  EXPECT_EQ(object->calls[2].kind, TInvokeKind::Method);
  EXPECT_EQ(object->calls[2].args[1], TVariant("attachment"));
  EXPECT_THROW(object->Get("Missing"), Exception);
}

TEST(Automation, VariantsHoldObjectsByReference) {
  auto object = std::make_shared<FakeObject>();
  TVariant v{std::shared_ptr<IAutoObject>(object)};
  EXPECT_EQ(v.KindName(), "Dispatch");
  EXPECT_EQ(v.ToObject().get(), object.get());
  EXPECT_EQ(v, TVariant(std::shared_ptr<IAutoObject>(object)));
  EXPECT_FALSE(v == TVariant(std::shared_ptr<IAutoObject>(std::make_shared<FakeObject>())));
  ExpectCastError([&] { v.ToString(); },
                  "Could not convert variant of type (Dispatch) into type (String)");
  ExpectCastError([&] { v.ToInt64(); },
                  "Could not convert variant of type (Dispatch) into type (Int64)");
  ExpectCastError([&] { v.ToDateTime(); },
                  "Could not convert variant of type (Dispatch) into type (Date)");
  ExpectCastError([] { TVariant(5).ToObject(); },
                  "Could not convert variant of type (Int64) into type (Dispatch)");
}

}  // namespace
}  // namespace zyl
