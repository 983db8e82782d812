// The router's constant tables: which control names belong to which feature, per notification
// type. Names are compared without regard to case.
#pragma once

#include <array>
#include <string_view>

#include "app/NotificationRouter.h"

namespace routes {

struct NameRoute {
    std::string_view name;
    Owner owner;
};

struct TabRoute {
    std::string_view option;
    std::string_view tabLayout;
    int page;
    std::string_view hideFunctionPanel;  // hidden and disabled first when coming from another page
};

struct Toggle {
    std::string_view button;
    std::string_view panel;
};

// "click": prefixes of indexed names, in order; the first match wins.
inline constexpr std::array<NameRoute, 9> kClickPrefixes = {{
    {"kb_key_", Owner::KeyboardKeyPage},
    {"kb_dkey_", Owner::LightingPages},
    {"ms_key_", Owner::MouseButtonPage},
    {"ms_DPI_color_btn_", Owner::MousePerformance},
    {"ms_Deng_color_btn_", Owner::LightingPages},
    {"mp_Deng_color_btn_", Owner::LightingPages},
    {"kb_Deng_color_btn_", Owner::LightingPages},
    {"ms_profile_", Owner::MouseMirror},
    {"ms_bullet_op_", Owner::RecoilPatterns},
}};

// "click": exact names.
inline constexpr NameRoute kClickNames[] = {
    {"ms_key_butt_keysave", Owner::MouseButtonPage},
    {"ms_key_butt_keydefalut", Owner::MouseButtonPage},
    {"kb_key_butt_keydefalut", Owner::KeyboardKeyPage},
    {"ms_gunlun_speed_up_btn", Owner::PointerAndWheel},
    {"ms_gunlun_speed_down_btn", Owner::PointerAndWheel},
    {"ms_one_profile_default", Owner::MouseMirror},
    {"ms_key_butt_prosave", Owner::MouseMirror},
    {"kb_key_butt_prosave", Owner::KeyboardMirror},
    {"ms_macro_btn_redio", Owner::MacroRecorder},
    {"kb_macro_btn_redio", Owner::MacroRecorder},
    {"ms_macro_btn_name_add", Owner::MacroEditor},
    {"ms_macro_btn_name_sub", Owner::MacroEditor},
    {"ms_macro_btn_down", Owner::MacroEditor},
    {"ms_macro_btn_up", Owner::MacroEditor},
    {"ms_macro_btn_uptop", Owner::MacroEditor},
    {"ms_macro_btn_downbottom", Owner::MacroEditor},
    {"ms_macro_btn_delete", Owner::MacroEditor},
    {"ms_macro_btn_deleteall", Owner::MacroEditor},
    {"ms_macro_btn_cancel", Owner::MacroEditor},
    {"ms_macro_btn_save", Owner::MacroEditor},
    {"ms_macro_btn_import", Owner::MacroEditor},
    {"ms_macro_btn_export", Owner::MacroEditor},
    {"ms_macro_btn_savemacroname", Owner::MacroEditor},
    {"kb_macro_btn_name_add", Owner::MacroEditor},
    {"kb_macro_btn_name_sub", Owner::MacroEditor},
    {"kb_macro_btn_down", Owner::MacroEditor},
    {"kb_macro_btn_up", Owner::MacroEditor},
    {"kb_macro_btn_uptop", Owner::MacroEditor},
    {"kb_macro_btn_downbottom", Owner::MacroEditor},
    {"kb_macro_btn_delete", Owner::MacroEditor},
    {"kb_macro_btn_deleteall", Owner::MacroEditor},
    {"kb_macro_btn_cancel", Owner::MacroEditor},
    {"kb_macro_btn_save", Owner::MacroEditor},
    {"kb_macro_btn_savemacroname", Owner::MacroEditor},
    {"ms_macro_inset_leftkey_btn", Owner::MacroEditor},
    {"ms_macro_inset_rightkey_btn", Owner::MacroEditor},
    {"ms_macro_inset_moudlekey_btn", Owner::MacroEditor},
    {"ms_macro_inset_forwardkey_btn", Owner::MacroEditor},
    {"ms_macro_inset_backkey_btn", Owner::MacroEditor},
    {"ms_macro_inset_leftkeydown_btn", Owner::MacroEditor},
    {"ms_macro_inset_rightkeydown_btn", Owner::MacroEditor},
    {"ms_macro_inset_moudlekeydown_btn", Owner::MacroEditor},
    {"ms_macro_inset_forwardkeydown_btn", Owner::MacroEditor},
    {"ms_macro_inset_backkeydown_btn", Owner::MacroEditor},
    {"ms_macro_inset_leftkeyup_btn", Owner::MacroEditor},
    {"ms_macro_inset_rightkeyup_btn", Owner::MacroEditor},
    {"ms_macro_inset_moudlekeyup_btn", Owner::MacroEditor},
    {"ms_macro_inset_forwardkeyup_btn", Owner::MacroEditor},
    {"ms_macro_inset_backkeyup_btn", Owner::MacroEditor},
    {"ms_macro_inset_moveleftkey_btn", Owner::MacroEditor},
    {"ms_macro_inset_moverightkey_btn", Owner::MacroEditor},
    {"ms_macro_inset_moveupkey_btn", Owner::MacroEditor},
    {"ms_macro_inset_movedownkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_leftkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_rightkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_moudlekey_btn", Owner::MacroEditor},
    {"kb_macro_inset_forwardkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_backkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_leftkeydown_btn", Owner::MacroEditor},
    {"kb_macro_inset_rightkeydown_btn", Owner::MacroEditor},
    {"kb_macro_inset_moudlekeydown_btn", Owner::MacroEditor},
    {"kb_macro_inset_forwardkeydown_btn", Owner::MacroEditor},
    {"kb_macro_inset_backkeydown_btn", Owner::MacroEditor},
    {"kb_macro_inset_leftkeyup_btn", Owner::MacroEditor},
    {"kb_macro_inset_rightkeyup_btn", Owner::MacroEditor},
    {"kb_macro_inset_moudlekeyup_btn", Owner::MacroEditor},
    {"kb_macro_inset_forwardkeyup_btn", Owner::MacroEditor},
    {"kb_macro_inset_backkeyup_btn", Owner::MacroEditor},
    {"kb_macro_inset_moveleftkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_moverightkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_moveupkey_btn", Owner::MacroEditor},
    {"kb_macro_inset_movedownkey_btn", Owner::MacroEditor},
    {"ms_bulletdate_save_btn", Owner::RecoilPatterns},
    {"ms_bulletdate_reset_btn", Owner::RecoilPatterns},
    {"ms_bulletdate_import_btn", Owner::RecoilPatterns},
    {"ms_bulletdate_export_btn", Owner::RecoilPatterns},
    {"bullet_selected_prev", Owner::RecoilPatterns},
    {"bullet_selected_next", Owner::RecoilPatterns},
    {"ms_Deng_FXL_btn", Owner::LightingPages},
    {"ms_Deng_FXR_btn", Owner::LightingPages},
    {"kb_deng_same_mode", Owner::LightingModel},
    {"mp_deng_same_mode", Owner::LightingModel},
    {"ms_deng_same_mode", Owner::LightingModel},
    {"kb_pro_deng_add_btn", Owner::ProfileOperations},
    {"kb_pro_deng_sub_btn", Owner::ProfileOperations},
    {"kb_pro_deng_import_btn", Owner::ProfileOperations},
    {"kb_pro_deng_export_btn", Owner::ProfileOperations},
    {"kb_pro_deng_copy_btn", Owner::ProfileOperations},
    {"kb_pro_deng_reset_btn", Owner::ProfileOperations},
    {"kb_pro_key_add_btn", Owner::ProfileOperations},
    {"kb_pro_key_sub_btn", Owner::ProfileOperations},
    {"kb_pro_key_import_btn", Owner::ProfileOperations},
    {"kb_pro_key_export_btn", Owner::ProfileOperations},
    {"kb_pro_key_copy_btn", Owner::ProfileOperations},
    {"kb_pro_key_reset_btn", Owner::ProfileOperations},
    {"kb_pro_device_add_btn", Owner::ProfileOperations},
    {"kb_pro_device_sub_btn", Owner::ProfileOperations},
    {"kb_pro_device_import_btn", Owner::ProfileOperations},
    {"kb_pro_device_export_btn", Owner::ProfileOperations},
    {"kb_pro_device_copy_btn", Owner::ProfileOperations},
    {"kb_pro_device_reset_btn", Owner::ProfileOperations},
    {"ms_pro_deng_add_btn", Owner::ProfileOperations},
    {"ms_pro_deng_sub_btn", Owner::ProfileOperations},
    {"ms_pro_deng_import_btn", Owner::ProfileOperations},
    {"ms_pro_deng_export_btn", Owner::ProfileOperations},
    {"ms_pro_deng_copy_btn", Owner::ProfileOperations},
    {"ms_pro_deng_reset_btn", Owner::ProfileOperations},
    {"ms_pro_key_add_btn", Owner::ProfileOperations},
    {"ms_pro_key_sub_btn", Owner::ProfileOperations},
    {"ms_pro_key_import_btn", Owner::ProfileOperations},
    {"ms_pro_key_export_btn", Owner::ProfileOperations},
    {"ms_pro_key_copy_btn", Owner::ProfileOperations},
    {"ms_pro_key_reset_btn", Owner::ProfileOperations},
    {"ms_pro_device_add_btn", Owner::ProfileOperations},
    {"ms_pro_device_sub_btn", Owner::ProfileOperations},
    {"ms_pro_device_import_btn", Owner::ProfileOperations},
    {"ms_pro_device_export_btn", Owner::ProfileOperations},
    {"ms_pro_device_copy_btn", Owner::ProfileOperations},
    {"ms_pro_device_reset_btn", Owner::ProfileOperations},
    {"mp_pro_deng_add_btn", Owner::ProfileOperations},
    {"mp_pro_deng_sub_btn", Owner::ProfileOperations},
    {"mp_pro_deng_import_btn", Owner::ProfileOperations},
    {"mp_pro_deng_export_btn", Owner::ProfileOperations},
    {"mp_pro_deng_copy_btn", Owner::ProfileOperations},
    {"mp_pro_deng_reset_btn", Owner::ProfileOperations},
    {"kb_deng_profile_edit_save_btn", Owner::ProfileOperations},
    {"kb_device_profile_edit_save_btn", Owner::ProfileOperations},
    {"kb_key_profile_edit_save_btn", Owner::ProfileOperations},
    {"ms_device_profile_edit_save_btn", Owner::ProfileOperations},
    {"ms_deng_profile_edit_save_btn", Owner::ProfileOperations},
    {"ms_key_profile_edit_save_btn", Owner::ProfileOperations},
    {"mp_deng_profile_edit_save_btn", Owner::ProfileOperations},
    {"kb_deng_profile_link_btn", Owner::ProgramLinks},
    {"kb_key_profile_link_btn", Owner::ProgramLinks},
    {"kb_device_profile_link_btn", Owner::ProgramLinks},
    {"ms_device_profile_link_btn", Owner::ProgramLinks},
    {"ms_deng_profile_link_btn", Owner::ProgramLinks},
    {"ms_key_profile_link_btn", Owner::ProgramLinks},
    {"mp_deng_profile_link_btn", Owner::ProgramLinks},
    {"mp_one_profile_default", Owner::PadMirror},
};

// Buttons that show their panel when it is hidden and hide it when it is shown.
inline constexpr Toggle kToggles[] = {
    {"kb_profile_fun_spread_btn", "kb_profile_fun_spead_tab"},
    {"ms_profile_fun_spread_btn", "ms_profile_fun_spead_tab"},
    {"mp_profile_fun_spread_btn", "mp_profile_fun_spead_tab"},
    {"kb_pro_deng_edit_btn", "kb_deng_profile_edit"},
    {"kb_pro_key_edit_btn", "kb_key_profile_edit"},
    {"ms_pro_deng_edit_btn", "ms_deng_profile_edit"},
    {"ms_pro_key_edit_btn", "ms_key_profile_edit"},
    {"mp_pro_deng_edit_btn", "mp_deng_profile_edit"},
};

// "selectchanged": options that belong to a feature (not tab options); checked before the guard.
inline constexpr std::array<NameRoute, 2> kOptionPrefixes = {{
    {"ms_gun_op_", Owner::RecoilPatterns},
    {"ms_bullet_op_", Owner::RecoilPatterns},
}};

inline constexpr NameRoute kOptionNames[] = {
    {"ms_cursor_x_check", Owner::RecoilPatterns},
    {"ms_cursor_y_check", Owner::RecoilPatterns},
    {"ms_macro_check_time", Owner::MacroEditor},
    {"ms_macro_keyboard_event", Owner::MacroEditor},
    {"ms_macro_mouse_click", Owner::MacroEditor},
    {"ms_macro_mouse_roller", Owner::MacroEditor},
    {"ms_macro_mouse_move", Owner::MacroEditor},
    {"ms_macro_btn_shubiao", Owner::MacroEditor},
    {"kb_macro_btn_shubiao", Owner::MacroEditor},
    {"kb_macro_check_time", Owner::MacroEditor},
    {"kb_macro_keyboard_event", Owner::MacroEditor},
    {"kb_macro_mouse_click", Owner::MacroEditor},
    {"kb_macro_mouse_roller", Owner::MacroEditor},
    {"kb_macro_mouse_move", Owner::MacroEditor},
    {"ms_Deng_7color_check", Owner::LightingPages},
    {"mp_Deng_7color_check", Owner::LightingPages},
    {"kb_Deng_7color_check", Owner::LightingPages},
    {"kb_gunlun_deng", Owner::LightingPages},
    {"kb_Deng_FXL_check", Owner::LightingPages},
    {"kb_Deng_FXR_check", Owner::LightingPages},
    {"ms_Deng_FXL_check", Owner::LightingPages},
    {"ms_Deng_FXR_check", Owner::LightingPages},
    {"mp_Deng_FXL_check", Owner::LightingPages},
    {"mp_Deng_FXR_check", Owner::LightingPages},
    {"kb_Deng_all_kill_check", Owner::LightingPages},
    {"kb_Deng_all_bright_check", Owner::LightingPages},
    {"kb_deng_profile_link_check", Owner::ProgramLinks},
    {"kb_key_profile_link_check", Owner::ProgramLinks},
    {"kb_device_profile_link_check", Owner::ProgramLinks},
    {"ms_device_profile_link_check", Owner::ProgramLinks},
    {"ms_deng_profile_link_check", Owner::ProgramLinks},
    {"ms_key_profile_link_check", Owner::ProgramLinks},
    {"mp_deng_profile_link_check", Owner::ProgramLinks},
};

inline constexpr TabRoute kTabs[] = {
    {"kb_tab", "tab_switch", 0, ""},
    {"ms_tab", "tab_switch", 1, ""},
    {"mp_tab", "tab_switch", 2, ""},
    {"ani_tab", "tab_switch", 3, ""},
    {"split_tab", "tab_switch", 4, ""},
    {"kb_deng_Op_tab", "kb_tab_switch", 0, ""},
    {"kb_macro_Op_tab", "kb_tab_switch", 1, ""},
    {"kb_key_Op_tab", "kb_tab_switch", 2, "kb_tab_function"},
    {"kb_rich_Op_tab", "kb_tab_switch", 3, ""},
    {"ms_deng_Op_tab", "ms_tab_switch", 0, ""},
    {"ms_macro_Op_tab", "ms_tab_switch", 1, ""},
    {"ms_key_Op_tab", "ms_tab_switch", 2, "ms_tab_function"},
    {"ms_rich_Op_tab", "ms_tab_switch", 3, ""},
    {"ms_cursor_Op_tab", "ms_tab_switch", 4, ""},
};

// "colorchanged", "valuechanged", "movevaluechanged", "itemselect", "itemclick", "textchanged".
inline constexpr NameRoute kColourNames[] = {
    {"Pallet", Owner::MousePerformance},
    {"ms_deng_Color_Pallet", Owner::LightingPages},
    {"mp_deng_Color_Pallet", Owner::LightingPages},
    {"kb_deng_Color_Pallet", Owner::LightingPages},
};

inline constexpr NameRoute kValueNames[] = {
    {"ms_deng_light_slider", Owner::LightingPages},
    {"ms_deng_speed_slider", Owner::LightingPages},
    {"mp_deng_light_slider", Owner::LightingPages},
    {"mp_deng_speed_slider", Owner::LightingPages},
    {"kb_deng_light_slider", Owner::LightingPages},
    {"kb_deng_speed_slider", Owner::LightingPages},
    {"ms_DPI1_slider", Owner::MousePerformance},
    {"ms_DPI2_slider", Owner::MousePerformance},
    {"ms_DPI3_slider", Owner::MousePerformance},
    {"ms_DPI4_slider", Owner::MousePerformance},
    // Levels 5 and 6 store on every change: a step by key or through the screen reader comes as
    // "valuechanged" and would be lost otherwise.
    {"ms_DPI5_slider", Owner::MousePerformance},
    {"ms_DPI6_slider", Owner::MousePerformance},
    {"ms_sensor_height_slider", Owner::MousePerformance},
    {"ms_point_speed_slider", Owner::PointerAndWheel},
};

inline constexpr NameRoute kMoveValueNames[] = {
    {"ms_DPI1_slider", Owner::MousePerformance}, {"ms_DPI2_slider", Owner::MousePerformance},
    {"ms_DPI3_slider", Owner::MousePerformance}, {"ms_DPI4_slider", Owner::MousePerformance},
    {"ms_DPI5_slider", Owner::MousePerformance}, {"ms_DPI6_slider", Owner::MousePerformance},
};

inline constexpr NameRoute kItemSelectNames[] = {
    {"ms_deng_combo_modeSelect0", Owner::LightingPages},
    {"ms_deng_combo_modeSelect1", Owner::LightingPages},
    {"ms_deng_combo_modeSelect2", Owner::LightingPages},
    {"mp_deng_combo_modeSelect", Owner::LightingPages},
    {"kb_deng_combo_modeSelect", Owner::LightingPages},
    {"kb_deng_combo_curtom_count", Owner::LightingPages},
    {"ms_report_fct_combo", Owner::MousePerformance},
    {"ms_MacroName_list", Owner::MacroEditor},
    {"kb_MacroName_list", Owner::MacroEditor},
    {"ms_Macro_list", Owner::MacroEditor},
    {"kb_Macro_list", Owner::MacroEditor},
    {"ms_macro_combo_keyselect", Owner::MacroEditor},
    {"ms_macro_combo_mouselect", Owner::MacroEditor},
    {"ms_macro_combo_upordown", Owner::MacroEditor},
    {"kb_macro_combo_keyselect", Owner::MacroEditor},
    {"kb_macro_combo_mouselect", Owner::MacroEditor},
    {"kb_macro_combo_upordown", Owner::MacroEditor},
    {"ms_key_fct_combo", Owner::MouseButtonPage},
    {"ms_key_fct_combo_11", Owner::MouseButtonPage},
    {"ms_key_fct_combo_12", Owner::MouseButtonPage},
    {"ms_key_fct_combo_13", Owner::MouseButtonPage},
    {"ms_key_fct_combo_14", Owner::MouseButtonPage},
    {"ms_key_fct_combo_21", Owner::MouseButtonPage},
    {"ms_key_fct_combo_22", Owner::MouseButtonPage},
    {"ms_key_fct_combo_23", Owner::MouseButtonPage},
    {"ms_key_fct_combo_24", Owner::MouseButtonPage},
    {"ms_key_fct_combo_25", Owner::MouseButtonPage},
    {"kb_key_fct_combo", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_11", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_12", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_13", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_14", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_21", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_22", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_23", Owner::KeyboardKeyPage},
    {"kb_key_fct_combo_24", Owner::KeyboardKeyPage},
    {"mp_deng_combo_profile", Owner::PadMirror},
    {"kb_device_profile_combo", Owner::ProfileOperations},
    {"kb_deng_profile_combo", Owner::ProfileOperations},
    {"kb_key_profile_combo", Owner::ProfileOperations},
    {"mp_deng_profile_combo", Owner::ProfileOperations},
    {"ms_device_profile_combo", Owner::ProfileOperations},
    {"ms_deng_profile_combo", Owner::ProfileOperations},
    {"ms_key_profile_combo", Owner::ProfileOperations},
};

inline constexpr NameRoute kItemClickNames[] = {
    {"ms_macro_action", Owner::MacroEditor},
    {"kb_macro_action", Owner::MacroEditor},
    {"ms_Macro_list", Owner::MacroEditor},
    {"kb_Macro_list", Owner::MacroEditor},
};

inline constexpr NameRoute kTextNames[] = {
    {"ms_key_fct_edit_11", Owner::MouseButtonPage}, {"ms_key_fct_edit_12", Owner::MouseButtonPage},
    {"ms_key_fct_edit_15", Owner::MouseButtonPage}, {"ms_key_fct_edit_16", Owner::MouseButtonPage},
    {"ms_key_fct_edit_17", Owner::MouseButtonPage}, {"ms_key_fct_edit_18", Owner::MouseButtonPage},
    {"ms_key_fct_edit_19", Owner::MouseButtonPage}, {"ms_key_fct_edit_20", Owner::MouseButtonPage},
    {"ms_key_fct_edit_25", Owner::MouseButtonPage},
    {"kb_key_fct_edit_11", Owner::KeyboardKeyPage}, {"kb_key_fct_edit_12", Owner::KeyboardKeyPage},
    {"kb_key_fct_edit_15", Owner::KeyboardKeyPage}, {"kb_key_fct_edit_16", Owner::KeyboardKeyPage},
    {"kb_key_fct_edit_17", Owner::KeyboardKeyPage}, {"kb_key_fct_edit_18", Owner::KeyboardKeyPage},
    {"kb_key_fct_edit_19", Owner::KeyboardKeyPage}, {"kb_key_fct_edit_20", Owner::KeyboardKeyPage},
    {"kb_key_fct_edit_25", Owner::KeyboardKeyPage},
    {"ms_DPI_edit_R", Owner::MousePerformance}, {"ms_DPI_edit_G", Owner::MousePerformance},
    {"ms_DPI_edit_B", Owner::MousePerformance},
    {"ms_Deng_edit_R", Owner::LightingPages}, {"ms_Deng_edit_G", Owner::LightingPages},
    {"ms_Deng_edit_B", Owner::LightingPages}, {"mp_Deng_edit_R", Owner::LightingPages},
    {"mp_Deng_edit_G", Owner::LightingPages}, {"mp_Deng_edit_B", Owner::LightingPages},
    {"kb_Deng_edit_R", Owner::LightingPages}, {"kb_Deng_edit_G", Owner::LightingPages},
    {"kb_Deng_edit_B", Owner::LightingPages},
    {"ms__macro_edit_ActionDelay", Owner::MacroEditor}, {"ms__macro_edit_mou_action_delay", Owner::MacroEditor},
    {"ms_macro_edit_mou_pointer_skewing", Owner::MacroEditor}, {"kb__macro_edit_ActionDelay", Owner::MacroEditor},
    {"kb__macro_edit_mou_action_delay", Owner::MacroEditor}, {"kb_macro_edit_mou_pointer_skewing", Owner::MacroEditor},
    {"ms_mouse_x_left_edit", Owner::MacroEditor}, {"ms_mouse_x_right_edit", Owner::MacroEditor},
    {"ms_mouse_y_up_edit", Owner::MacroEditor}, {"ms_mouse_y_down_edit", Owner::MacroEditor},
    {"kb_mouse_x_left_edit", Owner::MacroEditor}, {"kb_mouse_x_right_edit", Owner::MacroEditor},
    {"kb_mouse_y_up_edit", Owner::MacroEditor}, {"kb_mouse_y_down_edit", Owner::MacroEditor},
    {"ms_cursor_x_eidt", Owner::RecoilPatterns}, {"ms_cursor_y_eidt", Owner::RecoilPatterns},
    {"ms_cursor_delay_eidt", Owner::RecoilPatterns},
};

// Mouse button pictures that act on hovering ("msenter", "msleave").
inline constexpr int kHoverMouseKeys = 6;

}  // namespace routes
