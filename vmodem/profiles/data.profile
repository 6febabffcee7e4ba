# A data/fax-only modem: no voice class, no voice commands, no caller ID.
# Profile format (calvora-vmodem):
#   Lines starting with "#" are comments; blank lines are skipped.
#   name: TEXT            a label for the log
#   voice: yes|no         accepts AT+FCLASS=8 and the voice commands (AT+V...)
#   callerid: yes|no      accepts AT+VCID=1 and AT+VCID=2
#   dead: yes|no          answers nothing at all, not even the echo
#   COMMAND => TEXT       answers the information text TEXT, then OK
#   COMMAND => OK         accepts the command (with no text)
#   COMMAND => OK ONLY    answers OK alone (the built-in command set is not asked)
#   COMMAND => ERROR      refuses the command
#   COMMAND => SILENT     never answers the command
#   COMMAND =>            followed by lines starting with "|": a multi-line text, then OK
#                         ("| " is cut off; a lone "|" gives an empty line)
#   COMMAND is compared without regard to case and blanks; a trailing "*" matches any rest.
#   An entry here wins over the built-in command set. The AT+VSM=? text also tells the modem
#   which compressions it can stream: by name (UNSIGNED PCM, 8-BIT LINEAR, SIGNED PCM,
#   LINEAR with 16 bits, ULAW, ALAW, IMA ADPCM); other methods are listed but refused.

name: Data-only modem
voice: no
callerid: no
dead: no

ATI0 => 56000
ATI1 => 255
ATI2 => OK
ATI3 => U.S. Robotics 56K FAX USB V1.2.23
ATI4 => ERROR
ATI5 => ERROR
ATI6 => ERROR
ATI7 => ERROR
ATI8 => ERROR
ATI9 => ERROR
AT+GMM? => ERROR
AT+GMI? => ERROR
AT+GMR? => ERROR
AT+FMM? => ERROR
AT+FMI? => ERROR
AT+FMR? => ERROR
