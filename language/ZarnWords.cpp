// The Zarn word tables, looked up through a hash index built at compile time.
#include "language/ZarnWords.h"

#include "language/ByteRuns.h"

#include <cstdint>
#include <cstring>
#include <string_view>

// clang-format off
constexpr const char* const s_apszValueWords[12] = {
    "yes",
    "no",
    "true",
    "false",
    "YES",
    "NO",
    "TRUE",
    "FALSE",
    "trigger",
    "ornament",
    "dss_list",
    nullptr,
};

constexpr const char* const s_apszStructureAtoms[11] = {
    "man_start_object",
    "man_end_object",
    "uni_end_stream",
    "uni_start_stream",
    "act_replace_select_action",
    "uni_sync_skip",
    "uni_start_stream_wait_on",
    "uni_wait_off_end_stream",
    "man_start_sibling",
    "man_start_first",
    nullptr,
};

constexpr const char* const s_apszAttributeAtoms[169] = {
    "mat_bool_vertical_scroll",
    "mat_bool_disabled",
    "mat_bool_default",
    "mat_bool_resize_vertical",
    "mat_bool_resize_horizontal",
    "mat_bool_modal",
    "mat_bool_invisible",
    "mat_bool_hidden",
    "mat_orientation",
    "mat_capacity",
    "mat_font_sis",
    "mat_relative_tag",
    "mat_object_id",
    "mat_art_id",
    "mat_width",
    "mat_height",
    "mat_title_pos",
    "mat_ruler",
    "mat_object_color",
    "mat_vertical_spacing",
    "mat_iconify_as",
    "mat_plus_group",
    "mat_size",
    "mat_title",
    "mat_title_width",
    "mat_bool_list_icons",
    "mat_bool_graphic_view",
    "mat_bool_palette",
    "mat_bool_horizontal_scroll",
    "mat_bool_force_scroll",
    "mat_bool_protected_input",
    "mat_bool_force_no_scroll",
    "mat_bool_non_closeable",
    "mat_bool_exportable",
    "mat_bool_importable",
    "mat_bool_writeable",
    "mat_bool_floating",
    "mat_bool_contiguous",
    "mat_bool_menu",
    "mat_bool_default_send",
    "mat_bool_double_space",
    "mat_object_type",
    "mat_vert_scroll_capacity",
    "mat_horz_scroll_capacity",
    "mat_font_id",
    "mat_font_size",
    "mat_font_style",
    "mat_value",
    "mat_border",
    "mat_command_key",
    "mat_dirty_query",
    "mat_managed_by",
    "mat_validation",
    "mat_horizontal_spacing",
    "mat_style_id",
    "mat_minimum",
    "mat_maximum",
    "mat_horz_scroll_value",
    "mat_vert_scroll_value",
    "mat_bool_invert",
    "mat_position",
    "mat_log_object",
    "mat_paragraph",
    "mat_scroll_threshold",
    "mat_shortcut_key",
    "mat_sort_order",
    "mat_unfocused",
    "mat_bool_permanent",
    "mat_bool_ignore",
    "mat_increment",
    "mat_bool_no_border",
    "mat_bool_modified",
    "mat_link_content_to_rid",
    "mat_bool_precise",
    "mat_precise_width",
    "mat_precise_height",
    "mat_precise_x",
    "mat_precise_y",
    "mat_color_face",
    "mat_color_text",
    "mat_color_top_edge",
    "mat_color_bottom_edge",
    "mat_bool_gradual_shadow",
    "mat_frame_style",
    "mat_trigger_style",
    "mat_color_selected",
    "mat_color_text_shadow",
    "mat_timer_event",
    "mat_timer_duration",
    "mat_bool_background_pic",
    "mat_bool_background_flood",
    "mat_color_frame_hilight",
    "mat_color_frame_shadow",
    "mat_art_frame",
    "mat_art_animation_rate",
    "mat_art_animation_seq",
    "mat_bool_repeat_animation",
    "mat_bool_background_tile",
    "mat_context_help",
    "mat_drop_data_type",
    "mat_field_script",
    "mat_bool_first_script",
    "mat_bool_list_allow_entry",
    "mat_url",
    "mat_bool_expand_to_fit",
    "mat_sink",
    "mat_bool_sane",
    "mat_bool_url_sink",
    "mat_bool_drop_at_top",
    "mat_form_icon",
    "mat_content_tag",
    "mat_bool_language_popup",
    "mat_language_sensitive",
    "mat_bool_palette_art",
    "mat_set_dflt_extract_type",
    "mat_art_hint_width",
    "mat_art_hint_height",
    "mat_art_hint_title",
    "mat_art_hint_placeholder_id",
    "mat_art_hint_title_x",
    "mat_bool_tool_group",
    "mat_art_hint_title_y",
    "mat_art_hint_title_font_size",
    "mat_art_hint_title_font_id",
    "mat_art_hint_title_font_style",
    "mat_bool_small_icon",
    "mat_art_hint_select_placeholder",
    "mat_object_index",
    "mat_bool_encode_unicode",
    "mat_text_on_picture_pos",
    "mat_secure_form",
    "mat_fp_compose_mail",
    "mat_fp_send_im",
    "mat_fp_save_to_fp",
    "mat_bool_page_control",
    "mat_bool_spinner",
    "mat_bool_detached",
    "mat_bool_customizable",
    "mat_bool_detachable",
    "mat_bool_dock_horizontal",
    "mat_bool_dock_vertical",
    "mat_bool_children_removable",
    "mat_bool_children_movable",
    "mat_bool_child_removable",
    "mat_bool_child_movable",
    "mat_bool_child_line_feed",
    "mat_title_append_screen_name",
    "mat_url_list",
    "mat_tab_set_cur_sel",
    "mat_tab_get_cur_sel",
    "mat_bool_shared_style",
    "mat_bool_active_offline",
    "mat_bool_active_online",
    "mat_bool_inactive_for_guest",
    "mat_bool_dropdown_button",
    "mat_bool_popup_menu",
    "mat_bool_ignore_url_list",
    "mat_popup_relative_id",
    "mat_popup_pfc_path",
    "mat_bool_draw_focus",
    "mat_url_next",
    "mat_url_prev",
    "mat_url_parent",
    "mat_bool_loggable",
    "mat_secure_field",
    "mat_bool_hide_url",
    "mat_bool_auto_closeable",
    "mat_bool_signoff_menu",
    nullptr,
};
// clang-format on

namespace {

// Open addressing with linear probing over a table less than half full: a miss usually ends
// at the first empty slot, a hit costs one comparison of the word's length.
constexpr int SLOT_BITS = 9;
constexpr uint32_t SLOT_MASK = (1u << SLOT_BITS) - 1;

struct CWordSlot {
    const char* pszWord;
    int nLength;
    ZarnWordTable nTable;
};

struct CWordIndex {
    CWordSlot aSlots[SLOT_MASK + 1];
    int nWords;
    int nMinLength;
    int nMaxLength;
    bool bDuplicate;
};

constexpr uint32_t HashWord(const char* pText, int nLength) {
    uint32_t h = static_cast<uint32_t>(nLength);
    for (int i = 0; i < nLength; ++i)
        h = h * 31 + static_cast<unsigned char>(pText[i]);
    return (h * 0x9E3779B1u) >> (32 - SLOT_BITS);
}

constexpr void AddTable(CWordIndex& index, const char* const* ppszTable, ZarnWordTable nTable) {
    for (; *ppszTable; ++ppszTable) {
        const std::string_view word(*ppszTable);
        const int nLength = static_cast<int>(word.size());
        uint32_t nSlot = HashWord(word.data(), nLength);
        for (; index.aSlots[nSlot].pszWord; nSlot = (nSlot + 1) & SLOT_MASK) {
            if (word == index.aSlots[nSlot].pszWord)
                index.bDuplicate = true;
        }
        index.aSlots[nSlot] = {*ppszTable, nLength, nTable};
        index.nMinLength =
            index.nWords == 0 || nLength < index.nMinLength ? nLength : index.nMinLength;
        index.nMaxLength = nLength > index.nMaxLength ? nLength : index.nMaxLength;
        ++index.nWords;
    }
}

constexpr CWordIndex BuildIndex() {
    CWordIndex index{};
    AddTable(index, s_apszValueWords, WORDTABLE_VALUE);
    AddTable(index, s_apszStructureAtoms, WORDTABLE_STRUCTURE);
    AddTable(index, s_apszAttributeAtoms, WORDTABLE_ATTRIBUTE);
    return index;
}

constexpr CWordIndex s_wordIndex = BuildIndex();

// A word in two tables would make the answer depend on the order of the tests.
static_assert(!s_wordIndex.bDuplicate, "a word occurs twice in the word tables");
static_assert(s_wordIndex.nWords == 11 + 10 + 168, "a word table is missing entries");
// Probing ends only at an empty slot.
static_assert(2 * s_wordIndex.nWords < static_cast<int>(SLOT_MASK + 1));

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

ZarnWordTable FindZarnWord(const char* pText, int nLength) {
    if (!pText || nLength < s_wordIndex.nMinLength || nLength > s_wordIndex.nMaxLength)
        return WORDTABLE_NONE;
    for (uint32_t nSlot = HashWord(pText, nLength);; nSlot = (nSlot + 1) & SLOT_MASK) {
        const CWordSlot& slot = s_wordIndex.aSlots[nSlot];
        if (!slot.pszWord)
            return WORDTABLE_NONE;
        if (slot.nLength == nLength &&
            std::memcmp(slot.pszWord, pText, static_cast<size_t>(nLength)) == 0)
            return slot.nTable;
    }
}

bool IsValueWord(const char* pText, int nLength) {
    return FindZarnWord(pText, nLength) == WORDTABLE_VALUE;
}

bool IsStructureAtom(const char* pText, int nLength) {
    return FindZarnWord(pText, nLength) == WORDTABLE_STRUCTURE;
}

bool IsAttributeAtom(const char* pText, int nLength) {
    return FindZarnWord(pText, nLength) == WORDTABLE_ATTRIBUTE;
}

bool IsZarnNumber(const char* pText, int nLength) {
    if (!pText || nLength <= 0)
        return false;
    if (nLength > 2 && pText[nLength - 1] == 'x')
        return byteruns::RunEnd(pText, 0, nLength - 1, byteruns::HexDigitBytes()) == nLength - 1;
    if (!IsDecimalDigit(pText[0]))
        return false;
    return byteruns::RunEnd(pText, 1, nLength, byteruns::DecimalTailBytes()) == nLength;
}
