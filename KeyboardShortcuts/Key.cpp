#include "KeyboardShortcuts/Key.h"

namespace KeyboardShortcuts {

const Key Key::a{0};
const Key Key::b{11};
const Key Key::c{8};
const Key Key::d{2};
const Key Key::e{14};
const Key Key::f{3};
const Key Key::g{5};
const Key Key::h{4};
const Key Key::i{34};
const Key Key::j{38};
const Key Key::k{40};
const Key Key::l{37};
const Key Key::m{46};
const Key Key::n{45};
const Key Key::o{31};
const Key Key::p{35};
const Key Key::q{12};
const Key Key::r{15};
const Key Key::s{1};
const Key Key::t{17};
const Key Key::u{32};
const Key Key::v{9};
const Key Key::w{13};
const Key Key::x{7};
const Key Key::y{16};
const Key Key::z{6};
const Key Key::zero{29};
const Key Key::one{18};
const Key Key::two{19};
const Key Key::three{20};
const Key Key::four{21};
const Key Key::five{23};
const Key Key::six{22};
const Key Key::seven{26};
const Key Key::eight{28};
const Key Key::nine{25};
const Key Key::capsLock{57};
const Key Key::shift{56};
const Key Key::function{63};
const Key Key::control{59};
const Key Key::option{58};
const Key Key::command{55};
const Key Key::rightCommand{54};
const Key Key::rightOption{61};
const Key Key::rightControl{62};
const Key Key::rightShift{60};
const Key Key::returnKey{36};
const Key Key::backslash{42};
const Key Key::backtick{50};
const Key Key::comma{43};
const Key Key::equal{24};
const Key Key::minus{27};
const Key Key::period{47};
const Key Key::quote{39};
const Key Key::semicolon{41};
const Key Key::slash{44};
const Key Key::space{49};
const Key Key::tab{48};
const Key Key::leftBracket{33};
const Key Key::rightBracket{30};
const Key Key::pageUp{116};
const Key Key::pageDown{121};
const Key Key::home{115};
const Key Key::end{119};
const Key Key::upArrow{126};
const Key Key::rightArrow{124};
const Key Key::downArrow{125};
const Key Key::leftArrow{123};
const Key Key::escape{53};
const Key Key::deleteKey{51};
const Key Key::deleteForward{117};
const Key Key::help{114};
const Key Key::mute{74};
const Key Key::volumeUp{72};
const Key Key::volumeDown{73};
const Key Key::f1{122};
const Key Key::f2{120};
const Key Key::f3{99};
const Key Key::f4{118};
const Key Key::f5{96};
const Key Key::f6{97};
const Key Key::f7{98};
const Key Key::f8{100};
const Key Key::f9{101};
const Key Key::f10{109};
const Key Key::f11{103};
const Key Key::f12{111};
const Key Key::f13{105};
const Key Key::f14{107};
const Key Key::f15{113};
const Key Key::f16{106};
const Key Key::f17{64};
const Key Key::f18{79};
const Key Key::f19{80};
const Key Key::f20{90};
const Key Key::keypad0{82};
const Key Key::keypad1{83};
const Key Key::keypad2{84};
const Key Key::keypad3{85};
const Key Key::keypad4{86};
const Key Key::keypad5{87};
const Key Key::keypad6{88};
const Key Key::keypad7{89};
const Key Key::keypad8{91};
const Key Key::keypad9{92};
const Key Key::keypadClear{71};
const Key Key::keypadDecimal{65};
const Key Key::keypadDivide{75};
const Key Key::keypadEnter{76};
const Key Key::keypadEquals{81};
const Key Key::keypadMinus{78};
const Key Key::keypadMultiply{67};
const Key Key::keypadPlus{69};

const QList<Key>& Key::all() {
    static const QList<Key> keys{
        a,
        b,
        c,
        d,
        e,
        f,
        g,
        h,
        i,
        j,
        k,
        l,
        m,
        n,
        o,
        p,
        q,
        r,
        s,
        t,
        u,
        v,
        w,
        x,
        y,
        z,
        zero,
        one,
        two,
        three,
        four,
        five,
        six,
        seven,
        eight,
        nine,
        capsLock,
        shift,
        function,
        control,
        option,
        command,
        rightCommand,
        rightOption,
        rightControl,
        rightShift,
        returnKey,
        backslash,
        backtick,
        comma,
        equal,
        minus,
        period,
        quote,
        semicolon,
        slash,
        space,
        tab,
        leftBracket,
        rightBracket,
        pageUp,
        pageDown,
        home,
        end,
        upArrow,
        rightArrow,
        downArrow,
        leftArrow,
        escape,
        deleteKey,
        deleteForward,
        help,
        mute,
        volumeUp,
        volumeDown,
        f1,
        f2,
        f3,
        f4,
        f5,
        f6,
        f7,
        f8,
        f9,
        f10,
        f11,
        f12,
        f13,
        f14,
        f15,
        f16,
        f17,
        f18,
        f19,
        f20,
        keypad0,
        keypad1,
        keypad2,
        keypad3,
        keypad4,
        keypad5,
        keypad6,
        keypad7,
        keypad8,
        keypad9,
        keypadClear,
        keypadDecimal,
        keypadDivide,
        keypadEnter,
        keypadEquals,
        keypadMinus,
        keypadMultiply,
        keypadPlus,
    };
    return keys;
}

} // namespace KeyboardShortcuts
