# SPDX-License-Identifier: GPL-3.0-or-later
# The two correction dialogs: windows that show a correction and report the player's answer.
add_library(zelvara_correction_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/answer_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/answer_dialog.h
    ${CMAKE_CURRENT_LIST_DIR}/choice_of_player_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/choice_of_player_dialog.h
    ${CMAKE_CURRENT_LIST_DIR}/confirm_of_change_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/confirm_of_change_dialog.h
    ${PROJECT_SOURCE_DIR}/resources/forms/choice_of_player.ui
    ${PROJECT_SOURCE_DIR}/resources/forms/confirm_of_change.ui
)
set_target_properties(zelvara_correction_dialogs PROPERTIES
    AUTOMOC ON AUTOUIC ON AUTOUIC_SEARCH_PATHS ${PROJECT_SOURCE_DIR}/resources/forms)
target_include_directories(zelvara_correction_dialogs PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(zelvara_correction_dialogs
    PUBLIC zelvara_correction Qt6::Widgets
    PRIVATE zelvara_widgets zelvara_warnings)
