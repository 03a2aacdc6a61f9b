// Calls by name through IDispatch: names, the type information of both
// interfaces, the connection point's refusals, arguments that do not
// convert, and by-reference values written back.

#include "tests/automation/automation_fixture.h"

namespace lumo::automation::testing {
namespace {

class Dispatch : public AutomationTest {};

TEST_F(Dispatch, NamesIdsAndTypeInformation) {
    create();
    const std::string names[] = {"volume", "DOPLAY", "NoSuchThing", "position"};
    DISPID ids[4];
    EXPECT_EQ(audio->GetIDsOfNames(names, 4, ids), hr::DISP_E_UNKNOWNNAME);
    EXPECT_TRUE(ids[0] >= 0 && ids[1] >= 0 && ids[0] != ids[1] && ids[2] == -1);
    std::vector<Variant> none;
    ExcepInfo error;
    EXPECT_EQ(audio->Invoke(999, dispatch::Method, none, nullptr, &error), hr::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(error.description, "no member has the dispatch id 999");
    EXPECT_EQ(audio->Invoke(ids[1], dispatch::PropertyGet, none, nullptr, &error), hr::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(error.description, "DoPlay cannot be read");

    // The first type information is _cLUMOAudio's, the extension's the
    // second, its ids clear of the first's.
    ITypeInfo* info = nullptr;
    ASSERT_EQ(audio->GetTypeInfo(0, &info), hr::S_OK);
    for (uint32_t i = 0; i < info->GetFuncCount(); ++i) EXPECT_NE(info->GetFuncDesc(i)->id, ids[3]);
    EXPECT_EQ(info->GetFuncDesc(info->GetFuncCount()), nullptr);
    ASSERT_EQ(audio->GetTypeInfo(1, &info), hr::S_OK);
    EXPECT_EQ(info->GetFuncDesc(0)->id, ids[3]);
    EXPECT_EQ(audio->GetTypeInfo(2, &info), hr::E_INVALIDARG);
}

TEST_F(Dispatch, TheExtensionAndTheEventsAreOnTheSameObject) {
    create();
    _cLUMOAudioEx* extension = nullptr;
    ASSERT_EQ(audio->QueryInterface(IID__cLUMOAudioEx, reinterpret_cast<void**>(&extension)), hr::S_OK);
    EXPECT_EQ(static_cast<_cLUMOAudio*>(extension), audio) << "one object, one identity";
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(audio->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), hr::S_OK);
    IConnectionPoint* point = nullptr;
    EXPECT_EQ(container->FindConnectionPoint(IID__cLUMOAudio, &point), hr::CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point, nullptr);
    ASSERT_EQ(container->FindConnectionPoint(DIID___cLUMOAudioEvents, &point), hr::S_OK);
    EXPECT_EQ(point->Unadvise(12345), hr::CONNECT_E_NOCONNECTION);
    uint32_t cookie = 7;
    EXPECT_EQ(point->Advise(point, &cookie), hr::CONNECT_E_CANNOTCONNECT) << "no IDispatch: no sink";
    EXPECT_EQ(cookie, 0u);
    point->Release();
    container->Release();
    extension->Release();
}

// Arguments that do not convert reach nothing; by-reference ones come back
// converted. Kind 3 activates nothing: nPLError is cleared, the prompted
// drive emptied, and the other arguments keep their (converted) values.
TEST_F(Dispatch, ArgumentsThatDoNotConvertReachNothingAndByReferenceOnesComeBackConverted) {
    create();
    ExcepInfo error;
    std::vector<Variant> volBal{Variant(40), Variant("left")}, huge{Variant(1e12)};
    EXPECT_EQ(invoke("InitializeVolBal", dispatch::Method, volBal, nullptr, &error), hr::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(error.argument, 1);
    EXPECT_EQ(invoke("Volume", dispatch::PropertyPut, huge, nullptr, &error), hr::DISP_E_OVERFLOW);
    const auto& calls = player->calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.starts_with("volume=4"); }), 0)
        << "nothing reached the player";

    std::vector<Variant> args{Variant("E:"), Variant("3"),     Variant("Jazz"), Variant(2.0), Variant("D:"),    Variant(123),
                              Variant("Music"), Variant(1), Variant(7),      Variant("before"), Variant(99)};
    Variant result;
    ASSERT_EQ(invoke("InitialisePL", dispatch::Method, args, &result), hr::S_OK);
    EXPECT_EQ(result, Variant::boolean(false));
    EXPECT_EQ(args, (std::vector<Variant>{Variant(""), Variant(3), Variant("Jazz"), Variant(2), Variant("D:"),
                                          Variant("123"), Variant("Music"), Variant(1), Variant(7), Variant("before"),
                                          Variant(0)}));
}

}  // namespace
}  // namespace lumo::automation::testing
