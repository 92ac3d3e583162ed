#pragma once

// The captions of the twenty actions, kind 1 first (index kind - 1), in
// UTF-8: the settings dialog's check items, the scheduler's table and the
// render tool's contact sheet all name the actions by these. The setting
// "ｱｸｼｮﾝ_NN" turns action NN on or off.
inline constexpr const char* kActionCaptions[20] = {
    "等速直線運動", "棒の回転", "半径の変化", "転がり回転", "立体回転",
    "輪と帯", "正葉線", "輪のﾜｰﾌﾟ", "ﾘｻｰｼﾞｭ曲線", "ｻｲｸﾛｲﾄﾞ曲線",
    "通り抜け", "楕円の相互軌跡", "輪と帯の軌跡", "棒回転の軌跡", "棒と球",
    "小円の大小楕円回転", "中心点からの楕円", "二本の棒", "ｽﾊﾟｲﾗﾙ曲線の軌跡", "楕円の相互(時間差)",
};
