# A Rockwell RC56LD-like voice modem: rates 7200/8000/11025, +VSM: prefixed list, ERROR to AT+GMM?.
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
name: Rockwell RC56LD voice modem
voice: yes
callerid: yes
dead: no

ATI0 => 56000
ATI1 => 012
ATI2 => OK
ATI3 => V2.200-K56_DLS_RC56LD
ATI4 => a007080284C6002F
ATI5 => ERROR
ATI6 => RCV56DPF L8570A Rev 47.21/47.21
ATI7 => OK
ATI8 => ERROR
ATI9 => ERROR
AT+GMM? => ERROR
AT+GMI? => ERROR
AT+GMR? => ERROR
AT+FMM? => ERROR
AT+FMI? => +FMI: ROCKWELL
AT+FMR? => +FMR: V2.200-K56_DLS_RC56LD
AT+VID => ERROR

AT+VSM=? =>
| +VSM: 1,"UNSIGNED PCM",8,0,(7200,8000,11025),0,0
| +VSM: 129,"IMA ADPCM",4,0,(7200,8000),0,0
| +VSM: 130,"UNSIGNED PCM",8,0,(7200,8000,11025),0,0
| +VSM: 140,"2 Bit ADPCM",2,0,(7200,8000,11025),0,0
|
AT+VGR=? => +VGR: (121-134)
AT+VGT=? => +VGT: (0-255)
AT+VLS=? =>
| 0, "", B0000000, B0000000, B0000000
| 1, "T", 0BC01800, 0BC01800, 0BC01800
