# The Conexant-like voice modem of voice.profile, but without caller ID: AT+VCID=1 is refused.
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
name: Conexant USB voice modem without caller ID
voice: yes
callerid: no
dead: no

ATI0 => 56000
ATI1 => ERROR
ATI2 => ERROR
ATI3 => CX93001-EIS_V0.2013-V92
ATI4 => Conexant USB Modem
ATI5 => ERROR
ATI6 => ERROR
ATI7 => ERROR
ATI8 => ERROR
ATI9 => ERROR
AT+GMM? => +GMM: V90
AT+GMI? => +GMI: CONEXANT
AT+GMR? => +GMR: CX93001-EIS_V0.2013-V92
AT+FMM? => ERROR
AT+FMI? => ERROR
AT+FMR? => ERROR

AT+VSM=? =>
| 1,"UNSIGNED PCM",8,0,8000,0,0
| 129,"IMA ADPCM",4,0,8000,0,0
| 130,"UNSIGNED PCM",8,0,8000,0,00
| 140,"2 Bit ADPCM",2,0,8000,0,0
| 141,"4 Bit ADPCM",4,0,8000,0,0
AT+VGR=? => (0-255)
AT+VGT=? => (0-255)
AT+VLS=? =>
| 0,"",B0000000,B0000000,B0000000
| 1,"T",0BC01800,0BC01800,0BC01800
| 2,"L",00000000,00000000,00000000
| 3,"LT",00000000,00000000,00000000
| 4,"S",03000000,03000000,00000000
| 5,"ST",03000000,03000000,00000000
| 6,"H",02000000,02000000,00000000
| 7,"HT",02000000,02000000,00000000
| 8,"HL",00000000,00000000,00000000
| 9,"HLT",00000000,00000000,00000000
