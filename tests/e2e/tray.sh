#!/usr/bin/env bash
# The program in a tray on a real X display: the icon, small mode and its way back, the tray
# menu and its items, and the window-manager states of the stay-on-top and task-bar options.
source "$(dirname "$0")/desktop.sh"
start_desktop
start_tray
install_kelvo "$1"

start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\nSmall=1\n[DEFAULT]\nStayOnTop=1\nTaskBarHide=1\n'
find_tray_icon
echo "ok: the icon is in the tray"

wait_until 10 is_iconic "$MAIN" || fail "Small=1 did not start minimised"
is_unviewable "$MAIN" || fail "the small-mode window is on the screen"
wait_until 10 has_state "$MAIN" SKIP_TASKBAR || fail "no skip-taskbar state: $(xprop -id "$MAIN" _NET_WM_STATE)"
has_state "$MAIN" ABOVE || fail "no above state: $(xprop -id "$MAIN" _NET_WM_STATE)"
echo "ok: small mode at start, stay-on-top and no task-bar button"

double_click_icon
wait_until 10 is_viewable "$MAIN" || fail "a double click on the icon did not restore the window"
[ "$(position_of "$MAIN")" = "300 300" ] || fail "restored at $(position_of "$MAIN")"
has_state "$MAIN" ABOVE || fail "restored window lost the above state"
has_state "$MAIN" SKIP_TASKBAR || fail "restored window lost the skip-taskbar state"
echo "ok: a double click on the icon restores the window"

# The menu opens with its corner at the pointer; Escape closes it.
tray_menu
expect_menu_at_pointer
xdotool key Escape
wait_until 10 no_popup_menu $KELVO_PID || fail "Escape did not close the menu"
echo "ok: the tray menu opens at the pointer"

# The settings item opens the dialog, which stays on top.
tray_menu
xdotool key Down Down Return
dialog=$(first_output 10 window_sized $KELVO_PID 523 276) || fail "the settings item opened no dialog"
wait_until 10 has_state "$dialog" ABOVE || fail "the dialog is not on top"
# Only a close button is asked for: the Motif functions hold neither minimise (8) nor maximise
# (16). Window managers that offer a minimise anyway (openbox does) get the dialog straight back.
functions=$(xprop -id "$dialog" _MOTIF_WM_HINTS | sed -n 's/.*= 0x[0-9a-f]*, \(0x[0-9a-f]*\),.*/\1/p')
[ -n "$functions" ] && [ $((functions & 0x18)) -eq 0 ] ||
  fail "the dialog asks for more than a close button: $(xprop -id "$dialog" _MOTIF_WM_HINTS)"
xdotool windowminimize "$dialog"
dialog_back() { is_viewable "$dialog" && ! is_iconic "$dialog"; }
sleep 0.3
wait_until 10 dialog_back || fail "the minimised dialog stayed away"
echo "ok: the dialog offers only closing, and a minimised one comes back"
# While the dialog is open the whole program waits for it, the tray icon too: no menu. The
# Escape that closes the dialog comes after the click, so once the dialog is gone the click has
# been handled (a menu it had opened would have taken the Escape itself).
pointer_to $ix $iy
xdotool click 3
xdotool windowactivate "$dialog" key Escape
wait_until 10 is_unviewable "$dialog" || fail "the dialog did not close (a menu: '$(popup_menu $KELVO_PID)')"
no_popup_menu $KELVO_PID || fail "the tray opened its menu while the dialog was open"
echo "ok: the tray icon waits while the dialog is open"
echo "ok: the settings item opens the dialog on top"

# The minimise button, then the restore item.
read -r wx wy < <(position_of "$MAIN")
pointer_to $((wx + 174)) $((wy + 8))
xdotool click 1
wait_until 10 is_iconic "$MAIN" || fail "the minimise button did not minimise"
tray_menu
xdotool key Down Return
wait_until 10 is_viewable "$MAIN" || fail "the restore item did not restore the window"
echo "ok: minimise button and restore item"

# The exit item closes the program, saving the settings.
tray_menu
exit_from_menu
[ "$(ini_value Small)" = 0 ] || fail "Small=$(ini_value Small) saved after the restore"
echo "ok: the exit item ends the program"

# Options off: neither state; minimised, the window keeps its task-bar button.
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n[DEFAULT]\nStayOnTop=0\nTaskBarHide=0\n'
wait_until 10 is_viewable "$MAIN" || fail "the window did not show"
! has_state "$MAIN" ABOVE || fail "above state without the option"
pointer_to 474 308; xdotool click 1
wait_until 10 is_iconic "$MAIN" || fail "the minimise button did not minimise"
! has_state "$MAIN" SKIP_TASKBAR || fail "skip-taskbar state without the option"
double_click_icon
wait_until 10 is_viewable "$MAIN" || fail "a double click on the icon did not restore the window"
echo "ok: without the options the window is neither above nor off the task bar"

# Both options checked in the dialog apply to the shown window when it closes with OK.
pointer_to 310 308; xdotool click 1
dialog=$(first_output 10 window_sized $KELVO_PID 523 276) || fail "the settings button opened no dialog"
read -r dx dy < <(position_of "$dialog")
pointer_to $((dx + 302)) $((dy + 77)); xdotool click 1   # ckbStayOnTop
pointer_to $((dx + 302)) $((dy + 173)); xdotool click 1  # ckbTaskBarHide
pointer_to $((dx + 213)) $((dy + 252)); xdotool click 1  # OK
wait_until 10 is_unviewable "$dialog" || fail "the dialog did not close"
wait_until 10 has_state "$MAIN" ABOVE || fail "no above state after OK"
wait_until 10 has_state "$MAIN" SKIP_TASKBAR || fail "no skip-taskbar state after OK"
is_viewable "$MAIN" || fail "the window went away as the options changed"
[ "$(ini_value StayOnTop) $(ini_value TaskBarHide)" = "1 1" ] || fail "the options were not saved"
pointer_to 474 308; xdotool click 1
wait_until 10 is_iconic "$MAIN" || fail "the minimise button did not minimise"
stop_kelvo
[ "$(ini_value Small)" = 1 ] || fail "small mode not saved"
echo "ok: the options set in the dialog put the window above and off the task bar"

# Changing the stay-on-top option makes the toolkit replace the native window the next time it
# is shown, as after hiding under the pointer: the new window must get every hint again.
pointer_to 700 600
start_kelvo '[SYSTEM]\nXPos=300\nYPos=300\n[DEFAULT]\nTaskBarHide=1\nDontCatch=1\n'
wait_until 10 is_viewable "$MAIN" || fail "the window did not show"
wait_until 10 has_state "$MAIN" SKIP_TASKBAR || fail "no skip-taskbar state at start"
xdotool keydown shift
pointer_to 310 308; xdotool click 1
xdotool keyup shift
dialog=$(first_output 10 window_sized $KELVO_PID 523 276) || fail "the settings button opened no dialog"
read -r dx dy < <(position_of "$dialog")
pointer_to $((dx + 302)) $((dy + 77)); xdotool click 1   # ckbStayOnTop
pointer_to $((dx + 213)) $((dy + 252)); xdotool click 1  # OK
wait_until 10 is_unviewable "$dialog" || fail "the dialog did not close"
pointer_to 350 340
wait_until 10 is_hidden_under_pointer "$MAIN" || fail "the window did not get out of the pointer's way"
pointer_to 700 600
shown_again() { MAIN=$(main_window $KELVO_PID) && is_shown_whole "$MAIN"; }
wait_until 10 shown_again || fail "the window did not come back"
wait_until 10 has_state "$MAIN" ABOVE || fail "the shown-again window is not above: $(xprop -id "$MAIN" _NET_WM_STATE)"
wait_until 10 has_state "$MAIN" SKIP_TASKBAR ||
  fail "the shown-again window has a task-bar button: $(xprop -id "$MAIN" _NET_WM_STATE)"
stop_kelvo
echo "ok: a replaced native window gets the stay-on-top and task-bar hints again"
echo "1 passed, 0 failed"
