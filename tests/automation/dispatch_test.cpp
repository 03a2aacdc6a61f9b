// Calls by name: the table behind Invoke, GetIDsOfNames and the type
// information, and how arguments convert and come back by reference.

#include <set>

#include "automation/operation_table.h"
#include "tests/automation/automation_fixture.h"

namespace lumo::automation::testing {
namespace {

TEST(OperationTable, ThirtyOperationsInSlotOrderWithSharedPropertyIds) {
    const std::vector<std::string> expected = {
        "GetCurrentPlaylist", "InitializeVolBal", "IsShuffleOn", "IsLoopOn",   "DoNext",        "DoPrevious",
        "DoTerminate",        "IncVolUp",         "DecVolDown",  "InitialisePL", "DoPause",     "DoStop",
        "DoPlay",             "SelectPlaylists",  "SetAutoRewind", "SetLoop",  "SetShuffleMode", "Volume",
        "Volume",             "PlayLists",        "PlayLists",   "Balance",    "Balance",       "Mute",
        "Mute",               "Playstate",        "CDError",     "CDError",    "Version",       "WMPVersion"};
    ASSERT_EQ(operations().size(), expected.size());
    std::set<DISPID> ids;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(operations()[i].desc.name, expected[i]);
        EXPECT_EQ(operations()[i].desc.slot, static_cast<int32_t>(i + 1));
        ids.insert(operations()[i].desc.id);
    }
    EXPECT_EQ(ids.size(), 25u) << "a property's read and assignment share one id";
    EXPECT_EQ(findOperation(*dispatchIdOf("Volume"), dispatch::PropertyPut)->desc.slot, 19);
    EXPECT_EQ(findOperation(*dispatchIdOf("Volume"), dispatch::Method | dispatch::PropertyGet)->desc.slot, 18);
    EXPECT_EQ(findOperation(*dispatchIdOf("Playstate"), dispatch::PropertyPut), nullptr) << "read-only";
    EXPECT_EQ(findOperation(*dispatchIdOf("DoPlay"), dispatch::PropertyPut), nullptr);
}

TEST(OperationTable, ArgumentsCarryNamesTypesAndReferenceFlags) {
    const FuncDesc& initialise = findOperation(*dispatchIdOf("InitialisePL"), dispatch::Method)->desc;
    ASSERT_EQ(initialise.params.size(), 11u);
    EXPECT_EQ(initialise.params[0].name, "sPromptedDrive");
    EXPECT_EQ(initialise.params[10].name, "nPLError");
    EXPECT_EQ(initialise.params[8].type, VarType::Int32);
    EXPECT_EQ(initialise.params[5].type, VarType::String);
    for (const ParamDesc& param : initialise.params) EXPECT_TRUE(param.byRef) << param.name;
    EXPECT_EQ(initialise.result, VarType::Bool);

    const FuncDesc& volume = findOperation(*dispatchIdOf("Volume"), dispatch::PropertyPut)->desc;
    ASSERT_EQ(volume.params.size(), 1u);
    EXPECT_FALSE(volume.params[0].byRef) << "assigned by value";
    EXPECT_EQ(findOperation(*dispatchIdOf("PlayLists"), dispatch::PropertyPutRef)->desc.params[0].type,
              VarType::Variant);
    EXPECT_EQ(findOperation(*dispatchIdOf("SelectPlaylists"), dispatch::Method)->desc.params[7].type, VarType::Bool);
}

TEST(VariantConversion, FollowsTheAutomationRules) {
    EXPECT_EQ(Variant(2.5).toInt32(), 2);  // half to even
    EXPECT_EQ(Variant(3.5).toInt32(), 4);
    EXPECT_EQ(Variant(" 0123 ").toInt32(), 123);
    EXPECT_EQ(Variant("-1e2").toInt32(), -100);
    EXPECT_EQ(Variant::boolean(true).toInt32(), -1);
    EXPECT_EQ(Variant().toInt32(), 0);
    EXPECT_FALSE(Variant("12abc").toInt32());
    EXPECT_FALSE(Variant("").toInt32());
    bool overflow = false;
    EXPECT_FALSE(Variant("3000000000").toInt32(&overflow));
    EXPECT_TRUE(overflow);
    EXPECT_EQ(Variant("TRUE").toVBool(), -1);
    EXPECT_EQ(Variant("0").toVBool(), 0);
    EXPECT_EQ(Variant(7).toVBool(), -1);
    EXPECT_FALSE(Variant("maybe").toVBool());
    EXPECT_EQ(Variant::boolean(false).toText(), "False");
    EXPECT_EQ(Variant(-7).toText(), "-7");
    EXPECT_EQ(Variant(0.5).toText(), "0.5");
}

class Dispatch : public AutomationTest {};

TEST_F(Dispatch, NamesResolveWithoutRegardToCase) {
    create();
    const std::string names[] = {"volume", "DOPLAY", "NoSuchThing"};
    DISPID ids[3];
    EXPECT_EQ(audio->GetIDsOfNames(names, 3, ids), hr::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], *dispatchIdOf("Volume"));
    EXPECT_EQ(ids[1], *dispatchIdOf("DoPlay"));
    EXPECT_EQ(ids[2], -1);
    std::vector<Variant> none;
    ExcepInfo error;
    EXPECT_EQ(audio->Invoke(999, dispatch::Method, none, nullptr, &error), hr::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(error.description, "no member has the dispatch id 999");
    std::vector<Variant> value{Variant("2.0")};
    EXPECT_EQ(audio->Invoke(*dispatchIdOf("Version"), dispatch::PropertyPut, value, nullptr, &error),
              hr::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(error.description, "Version cannot be assigned");

    // The first type information is _cLUMOAudio's as it always was; the
    // extension's is the second, its ids clear of the first's.
    uint32_t count = 0;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(audio->GetTypeInfoCount(&count), hr::S_OK);
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(audio->GetTypeInfo(0, &info), hr::S_OK);
    EXPECT_EQ(info->GetInterfaceName(), "_cLUMOAudio");
    EXPECT_EQ(info->GetFuncCount(), 30u);
    EXPECT_EQ(info->GetFuncDesc(29)->name, "WMPVersion");
    EXPECT_EQ(info->GetFuncDesc(30), nullptr);
    ASSERT_EQ(audio->GetTypeInfo(1, &info), hr::S_OK);
    EXPECT_EQ(info->GetInterfaceName(), "_cLUMOAudioEx");
    EXPECT_EQ(info->GetFuncDesc(0)->name, "Position");
    EXPECT_EQ(info->GetFuncDesc(0)->id, *dispatchIdOf("position"));
    for (const Operation& first : operations()) EXPECT_NE(first.desc.id, *dispatchIdOf("Position"));
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

TEST_F(Dispatch, BadArgumentsAreDispatchErrorsThatSayWhich) {
    create();
    ExcepInfo error;
    std::vector<Variant> one{Variant(1)};
    EXPECT_EQ(invoke("DoPlay", dispatch::Method, one, nullptr, &error), hr::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(error.description, "takes 0 arguments, not 1");

    std::vector<Variant> volBal{Variant(40), Variant("left")};
    error = {};
    EXPECT_EQ(invoke("InitializeVolBal", dispatch::Method, volBal, nullptr, &error), hr::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(error.argument, 1);
    EXPECT_EQ(error.description, "argument 2 does not convert to a 32-bit integer");
    const auto& calls = player->calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "volume=40"), 0) << "nothing reached the player";

    std::vector<Variant> huge{Variant(1e12)};
    EXPECT_EQ(invoke("Volume", dispatch::PropertyPut, huge, nullptr, &error), hr::DISP_E_OVERFLOW);
}

TEST_F(Dispatch, ByReferenceArgumentsComeBackConvertedAndUpdated) {
    create();
    // Kind 3 activates nothing: nPLError is cleared, the prompted drive
    // emptied, and the other arguments keep their (converted) values.
    std::vector<Variant> args{Variant("E:"), Variant("3"), Variant("Jazz"), Variant(2.0), Variant("D:"),
                              Variant(123),  Variant("Music"), Variant(1), Variant(7), Variant("before"),
                              Variant(99)};
    Variant result;
    ASSERT_EQ(invoke("InitialisePL", dispatch::Method, args, &result), hr::S_OK);
    EXPECT_EQ(result, Variant::boolean(false));
    EXPECT_EQ(args[0], Variant(""));
    EXPECT_EQ(args[1], Variant(3));
    EXPECT_EQ(args[3], Variant(2));
    EXPECT_EQ(args[5], Variant("123"));
    EXPECT_EQ(args[8], Variant(7)) << "cCDROMs is only written for CD playlists";
    EXPECT_EQ(args[9], Variant("before"));
    EXPECT_EQ(args[10], Variant(0));
}

}  // namespace
}  // namespace lumo::automation::testing
