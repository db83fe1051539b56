// Pins every operation of the host's interfaces to its table position: each call goes through a
// raw table of thunks that record their own index, so a slot that moves fails here.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <utility>

#include "hostlink/ORVO_TLB.h"

namespace {

using namespace Orvo_tlb;

int lastSlot = -1;

template <int N>
std::intptr_t VLC_STDCALL RecordSlot() {
    lastSlot = N;
    return 0;
}

// A fake object: its first word points at a table whose entry i records i when called.
struct RawObject {
    const void* const* table;
};

template <std::size_t... I>
constexpr std::array<const void*, sizeof...(I)> MakeTable(std::index_sequence<I...>) {
    return {reinterpret_cast<const void*>(&RecordSlot<static_cast<int>(I)>)...};
}

const auto kTable = MakeTable(std::make_index_sequence<90>());

template <typename Interface>
Interface* Raw() {
    static RawObject object{kTable.data()};
    return reinterpret_cast<Interface*>(&object);
}

template <typename Call>
int SlotOf(Call call) {
    lastSlot = -1;
    call();
    return lastSlot;
}

// Only the native build runs this: every argument is ignored by the thunks, which is harmless
// with the single native calling convention.
TEST(HostInterfaceLayout, PluginHostOperationsSitAtTheirPositions) {
    auto* host = Raw<IPluginHost>();
    EXPECT_EQ(SlotOf([&] { host->HostVersion(); }), 0);
    EXPECT_EQ(SlotOf([&] { host->AcceptsVersion(6000); }), 1);
    EXPECT_EQ(SlotOf([&] { host->Decline(); }), 2);
    EXPECT_EQ(SlotOf([&] { host->PluginFileName(); }), 8);
    EXPECT_EQ(SlotOf([&] { host->PluginOwner(); }), 15);
}

TEST(HostInterfaceLayout, ControlOperationsSitAtTheirPositions) {
    auto* c = Raw<IORVOControl>();
    Long l = 0;
    VariantBool b = 0;
    Bstr s = nullptr;
    std::int16_t h = 0;
    const std::pair<int, std::function<void()>> expected[] = {
        {0, [&] { c->QueryInterface(IID_IUnknown, nullptr); }},
        {1, [&] { c->AddRef(); }},
        {2, [&] { c->Release(); }},
        {7, [&] { c->get_Version(&l); }},
        {8, [&] { c->CheckVersion(4300); }},
        {9, [&] { c->get_Handle(&l); }},
        {10, [&] { c->get_Visible(&l); }},
        {11, [&] { c->set_Visible(1); }},
        {12, [&] { c->get_Left(&l); }},
        {13, [&] { c->set_Left(1); }},
        {14, [&] { c->get_Top(&l); }},
        {15, [&] { c->set_Top(1); }},
        {16, [&] { c->get_Width(&l); }},
        {17, [&] { c->get_Height(&l); }},
        {18, [&] { c->get_PlayStatus(&l); }},
        {19, [&] { c->get_Track(&l); }},
        {20, [&] { c->set_Track(1); }},
        {21, [&] { c->get_Position(&l); }},
        {22, [&] { c->set_Position(1); }},
        {23, [&] { c->get_Length(&l); }},
        {24, [&] { c->get_Volume(&l); }},
        {25, [&] { c->set_Volume(1); }},
        {26, [&] { c->get_Counter(&l); }},
        {27, [&] { c->set_Counter(1); }},
        {28, [&] { c->get_Repeat(&b); }},
        {29, [&] { c->set_Repeat(-1); }},
        {30, [&] { c->get_Random(&b); }},
        {31, [&] { c->set_Random(-1); }},
        {32, [&] { c->get_RemainTime(&b); }},
        {33, [&] { c->set_RemainTime(-1); }},
        {34, [&] { c->get_Design(&s); }},
        {35, [&] { c->set_Design(nullptr); }},
        {38, [&] { c->get_DisplayMode(&l); }},
        {39, [&] { c->set_DisplayMode(1); }},
        {40, [&] { c->get_OnTimer(&b); }},
        {41, [&] { c->set_OnTimer(-1); }},
        {42, [&] { c->get_OnTime(&l); }},
        {43, [&] { c->set_OnTime(1); }},
        {44, [&] { c->get_OffTimer(&b); }},
        {45, [&] { c->set_OffTimer(-1); }},
        {46, [&] { c->get_OffTime(&l); }},
        {47, [&] { c->set_OffTime(1); }},
        {48, [&] { c->get_ShutDownRecord(&b); }},
        {49, [&] { c->set_ShutDownRecord(-1); }},
        {50, [&] { c->get_RecLevel(&l); }},
        {51, [&] { c->set_RecLevel(1); }},
        {52, [&] { c->Attach(0, 0, 0, &l, &l); }},
        {53, [&] { c->Detach(0); }},
        {54, [&] { c->Abort(0); }},
        {55, [&] { c->Close(); }},
        {56, [&] { c->ShutDown(); }},
        {57, [&] { c->GetEvent(0, &l); }},
        {58, [&] { c->SetEvent(0, 0); }},
        {59, [&] { c->NotifyEvent(0, 0, 0); }},
        {60, [&] { c->Stop(); }},
        {61, [&] { c->Pause(); }},
        {62, [&] { c->Play(); }},
        {63, [&] { c->FF(1); }},
        {64, [&] { c->Rewind(1); }},
        {65, [&] { c->Next(); }},
        {66, [&] { c->Back(); }},
        {67, [&] { c->Eject(); }},
        {68, [&] { c->Seek(1, 2); }},
        {69, [&] { c->ShowPlayList(); }},
        {70, [&] { c->ShowProperty(); }},
        {71, [&] { c->ShowMenu(); }},
        {72, [&] { c->ShowToolMenu(); }},
        {73, [&] { c->Click(1); }},
        {74, [&] { c->KeyDown(13, 5); }},
        {75, [&] { c->GetText(&s, &l, &h, &h, &s, &l, &l, &l, &l, &l); }},
        {76, [&] { c->GetVolumes(&l, &l); }},
        {77, [&] { c->GetSpeana(&l, &l, &l, &l, &l, &l, &l, &l, &l, &l); }},
        {78, [&] { c->SaveORVOini(); }},
        {80, [&] { c->GetColor(0, &l); }},
        {81, [&] { c->GetFont(0, &s, &l, &l, &l, &l); }},
        {82, [&] { c->GetFormImage(nullptr); }},
        {83, [&] { c->get_Rate(&l); }},
        {84, [&] { c->set_Rate(1); }},
    };
    for (const auto& [slot, call] : expected) EXPECT_EQ(SlotOf(call), slot);
}

TEST(HostInterfaceLayout, PlayListLyricsAndMenuOperationsSitAtTheirPositions) {
    auto* p = Raw<IORVOPlayList>();
    auto* y = Raw<IORVOLyrics>();
    auto* m = Raw<IORVOMenu>();
    Long l = 0;
    Bstr s = nullptr;
    EXPECT_EQ(SlotOf([&] { p->get_Tracks(&l); }), 8);
    EXPECT_EQ(SlotOf([&] { p->get_SelectedTrack(&l); }), 21);
    EXPECT_EQ(SlotOf([&] { p->New(); }), 25);
    EXPECT_EQ(SlotOf([&] { p->Add(nullptr); }), 28);
    EXPECT_EQ(SlotOf([&] { p->Load(nullptr); }), 29);
    EXPECT_EQ(SlotOf([&] { p->Save(nullptr); }), 30);
    EXPECT_EQ(SlotOf([&] { p->GetTrackInfo(0, &s, &s, &s, &s, &s, &l, &l, &l, &l, &l, &l, &l); }),
              31);
    EXPECT_EQ(SlotOf([&] { p->SetTrackInfo(0, s, s, s, s, s, 0, 0, 0, 0, 0, 0, 0); }), 32);
    EXPECT_EQ(SlotOf([&] { y->get_Lines(&l); }), 8);
    EXPECT_EQ(SlotOf([&] { y->GetLyrics(0, &l, &s, &l, &l, &s, &l, &l, &l, &l, &l); }), 21);
    EXPECT_EQ(SlotOf([&] { m->AddItem(0, 0, nullptr, &l); }), 10);
    EXPECT_EQ(SlotOf([&] { m->DeleteItem(0); }), 13);
    EXPECT_EQ(SlotOf([&] { m->GetItemCaption(0, &s); }), 17);
    EXPECT_EQ(SlotOf([&] { m->SetItemCaption(0, nullptr); }), 18);
    EXPECT_EQ(SlotOf([&] { m->SetItemEnabled(0, 1); }), 20);
}

TEST(HostInterfaceLayout, IdentifiersAreDistinct) {
    const platform::Guid ids[] = {CLSID_ORVOControl, IID_IORVOControl, IID_IORVOPlayList,
                                  IID_IORVOLyrics, IID_IORVOMenu};
    for (std::size_t i = 0; i < 5; ++i)
        for (std::size_t j = i + 1; j < 5; ++j) EXPECT_NE(ids[i], ids[j]);
}

}  // namespace
