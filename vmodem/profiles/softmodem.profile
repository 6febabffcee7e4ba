# A host-processed 56K softmodem (Conexant HSF firmware): mu-law, A-law and 16-bit linear too.
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
name: Conexant HSF softmodem
voice: yes
callerid: yes
dead: no

ATI0 => 56000
ATI1 => ERROR
ATI2 => ERROR
ATI3 => HSF 56K Data Fax Voice Modem
ATI4 => ERROR
ATI5 => ERROR
ATI6 => ERROR
ATI7 => ERROR
ATI8 => ERROR
ATI9 => ERROR
AT+GMM? => +GMM: HSF 56K Data Fax Voice Modem
AT+GMI? => +GMI: Conexant
AT+GMR? => +GMR: 7.80.4.15
AT+FMM? => ERROR
AT+FMI? => ERROR
AT+FMR? => ERROR

AT+VSM=? =>
| 1,"UNSIGNED PCM",8,0,(7200,8000),(0),(0)
| 128,"8-BIT LINEAR",8,0,(7200,8000),(0),(0)
| 129,"ADPCM",4,0,(7200,8000),(0),(0)
| 130,"UNSIGNED PCM",8,0,(7200,8000),(0),(0)
| 131,"ULAW",8,0,(7200,8000),(0),(0)
| 132,"ALAW",8,0,(7200,8000),(0),(0)
| 133,"LINEAR",16,0,(7200,8000),(0),(0)
AT+VGR=? => (0-255)
AT+VGT=? => (0-255)
AT+VLS=? =>
| 0,"",B0000000,B0000000,B0000000
| 1,"T",0BC01800,0BC01800,0BC01800
