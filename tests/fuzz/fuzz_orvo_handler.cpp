// Fuzzes the host link's notification handling: sequences of "WM_ORVO" messages with arbitrary
// parameters, on a bound or an unbound component, whose event handlers call back into it
// (unbind from OnAbort, post to itself from OnUser, create items from OnDisplayMenu, bind from
// OnOpen) and whose menu items delete themselves when clicked.
#include <cstdint>
#include <memory>

#include "hostlink/orvo.h"
#include "tests/fuzz/FuzzWorld.h"

namespace {

// Notification codes worth aiming at; any other word is still reachable as a raw value.
constexpr std::uint32_t kCodes[] = {
    0x1,   0x2,   0x4,        0x8,        0x10,       0x20,       0x40,       0x80,  0x100, 0x200,
    0x400, 0x800, 0x10000000, 0x20000000, 0x40000000, 0x80000000, 0x00010001, 0x401, 0x403};

class Session {
  public:
    explicit Session(FuzzedDataProvider& data) : data_(data) {}

    void Run() {
        const std::uint8_t flags = data_.ConsumeIntegral<std::uint8_t>();
        orvo_ = std::make_unique<TORVO>(nullptr);
        world_.os.PumpMessages();  // the announcement to every client, this one included
        orvo_->AutoLink = (flags & 1) != 0;
        if (flags & 2) orvo_->Bind();
        if (flags & 4) world_.server.addItemGivesNoId = true;
        InstallHandlers();

        while (data_.remaining_bytes() > 0) Step();

        orvo_.reset();
        world_.CheckBalanced();
    }

  private:
    // A menu id: a root, one the player handed out, none, or anything.
    std::int32_t MenuId() {
        switch (data_.ConsumeIntegralInRange(0, 3)) {
            case 0:
                return kRootMenuIds[data_.ConsumeIntegralInRange(0, 3)];
            case 1:
                return 0x100 + data_.ConsumeIntegralInRange(0, 15);
            case 2:
                return 0;
            default:
                return data_.ConsumeIntegral<std::int32_t>();
        }
    }

    std::uint32_t WParam() {
        const std::size_t pick = data_.ConsumeIntegralInRange<std::size_t>(0, std::size(kCodes));
        if (pick == std::size(kCodes)) return data_.ConsumeIntegral<std::uint32_t>();
        std::uint32_t code = kCodes[pick];
        if (code >= 0x10000000) code |= data_.ConsumeIntegralInRange<std::uint32_t>(0, 31);
        return code;
    }

    std::int32_t LParam(std::uint32_t wParam) {
        const bool menuish =
            wParam == 0x800 || wParam == (0x40000000 | 22) || wParam == (0x40000000 | 27);
        if (menuish && data_.ConsumeBool()) return MenuId();
        return data_.ConsumeIntegral<std::int32_t>();
    }

    void Deliver(std::uint32_t wParam, std::int32_t lParam) {
        orvo_->WndProc(orvo_->MessageId, wParam, lParam);
    }

    // Handlers act only while the budget lasts and not too deep inside each other, so every
    // input ends.
    bool MayAct() { return budget_ > 0 && depth_ < 4 && data_.remaining_bytes() > 0; }

    struct Nested {
        explicit Nested(Session& s) : s(s) {
            ++s.depth_;
            --s.budget_;
        }
        ~Nested() { --s.depth_; }
        Session& s;
    };

    void Pump() {
        if (depth_ < 4) world_.os.PumpMessages();
    }

    // A click handler that takes its own item away, in one of the ways a client can.
    void GiveSelfDeletingHandler(TORVOMenu* item) {
        if (!item) return;
        const std::uint8_t how = data_.ConsumeIntegral<std::uint8_t>();
        item->OnClick = [this, how](TORVOMenu* self) {
            if (!MayAct()) return;
            Nested nested(*this);
            TORVO* link = self->Link;
            switch (how % 5) {
                case 0:
                    link->DeleteMenu(self);
                    break;
                case 1:
                    link->GetMenu(kRootMenuIds[how / 5 % 4])->DeleteChild(self);
                    break;
                case 2:
                    link->Unbind();
                    break;
                case 3:  // the player says the item is gone, within the click
                    Deliver(0x40000000 | 27, self->Id);
                    break;
                default:
                    link->ClearMenuList();
                    break;
            }
        };
    }

    void InstallHandlers() {
        TORVO& o = *orvo_;
        o.OnAbort = [this](TORVO* sender) {
            if (!MayAct()) return;
            Nested nested(*this);
            sender->Unbind();
        };
        o.OnUser = [this](TORVO* sender, std::uint32_t, std::int32_t) {
            if (!MayAct()) return;
            Nested nested(*this);
            const platform::Handle target =
                data_.ConsumeBool() ? sender->MessageWindow : (data_.ConsumeBool() ? 0 : 0x5150);
            const std::uint32_t wParam = WParam();
            sender->NotifyEvent(target, wParam, LParam(wParam));
            Pump();
        };
        o.OnDisplayMenu = [this](TORVOMenu* item) {
            if (!MayAct()) return;
            Nested nested(*this);
            TORVOMenu* other = item->Link->GetMenu(MenuId());
            if (data_.ConsumeBool()) GiveSelfDeletingHandler(other);
            if (data_.ConsumeBool()) GiveSelfDeletingHandler(item->AddChild("x"));
        };
        o.OnOpen = [this](TORVO* sender) {
            if (!MayAct()) return;
            Nested nested(*this);
            sender->Bind();
        };
        o.OnMenu = [](TORVOMenu* item) {
            if (item) fuzz::Check(item->Link != nullptr, "OnMenu item alive");
        };
        o.OnUnbind = [this](TORVO* sender) {
            if (!MayAct()) return;
            Nested nested(*this);
            if (data_.ConsumeBool()) sender->GetMenu(MenuId());
        };
        o.OnSpeana = [](TORVO*, const std::int32_t* level) {
            for (int i = 0; i < 10; ++i)
                fuzz::Check(level[i] >= 0 && level[i] <= 15, "speana level is one nibble");
        };
    }

    void Step() {
        switch (data_.ConsumeIntegralInRange(0, 9)) {
            case 0:
            case 1:
            case 2:
            case 3: {
                const std::uint32_t wParam = WParam();
                Deliver(wParam, LParam(wParam));
                break;
            }
            case 4: {  // sent by the player, answered inside its call
                const std::uint32_t wParam = WParam();
                std::intptr_t result = 0;
                world_.os.SendMessageTimeout(orvo_->MessageWindow, orvo_->MessageId, wParam,
                                             LParam(wParam), 0, 3000, result);
                break;
            }
            case 5:
                world_.os.PumpMessages();
                break;
            case 6:
                if (data_.ConsumeBool())
                    orvo_->Bind();
                else
                    orvo_->Unbind();
                break;
            case 7: {  // an item of ours under some menu, which removes itself when clicked
                TORVOMenu* parent = orvo_->GetMenu(MenuId());
                if (parent) GiveSelfDeletingHandler(parent->AddChild("item"));
                break;
            }
            case 8:
                world_.server.DeleteItem(MenuId());
                break;
            default:  // a message that is not "WM_ORVO" goes to the default procedure
                orvo_->WndProc(data_.ConsumeIntegral<std::uint32_t>(), 0, 0);
                break;
        }
    }

    FuzzedDataProvider& data_;
    fuzz::World world_;
    std::unique_ptr<TORVO> orvo_;
    int budget_ = 64;
    int depth_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    Session(data).Run();
    return 0;
}
