# SPDX-License-Identifier: GPL-3.0-or-later
# Who the programs are, written once.

# The command of a program: velmo-PROGRAM, or its own name when that starts
# with velmo.
function(velmo_command_name program variable)
  if(program MATCHES "^velmo")
    set(${variable} ${program} PARENT_SCOPE)
  else()
    set(${variable} velmo-${program} PARENT_SCOPE)
  endif()
endfunction()

# The programs that answer on the session bus, by their file in the program
# folder (which is also their target). For each, VELMO_<file>_...:
#   SERVICE    its bus name on the default port, which is also its desktop id
#              (the menu entry's file name) and its application id
#   TITLE      what messages call it
#   MENU_NAME  what menus call it
# and, made from these, COMMAND (the installed command) and PATH (its
# object path: the service with "/" for "."). dbus/ carries them to the code
# (dbus/programs.h); packaging/ makes the menu entries, D-Bus service files,
# systemd units and manual pages with them.
set(VELMO_BUS_PROGRAMS chaser switchpanel remote)
set(VELMO_chaser_SERVICE org.velmo.Chaser)
set(VELMO_chaser_TITLE "the chaser")
set(VELMO_chaser_MENU_NAME "Velmo Chaser")
set(VELMO_switchpanel_SERVICE org.velmo.SwitchPanel)
set(VELMO_switchpanel_TITLE "the switch panel")
set(VELMO_switchpanel_MENU_NAME "Velmo Switch Panel")
set(VELMO_remote_SERVICE org.velmo.Remote)
set(VELMO_remote_TITLE "the remote")
set(VELMO_remote_MENU_NAME "Velmo Remote")
foreach(program IN LISTS VELMO_BUS_PROGRAMS)
  velmo_command_name(${program} VELMO_${program}_COMMAND)
  string(REPLACE "." "/" path "/${VELMO_${program}_SERVICE}")
  set(VELMO_${program}_PATH "${path}")
endforeach()
