# A voice modem whose compression list mixes every shape real modems send: a "+VSM: " prefix
# on some lines, three-, five- and seven-field lines, comma and semicolon separators, quoted
# and bare names in mixed case, rate lists with hyphen ranges, a blank line, and methods the
# program does not know (14-bit PCM, IMA ADPCM, CELP). The model comes only from ATI4.
# Profile format: see the top of voice.profile.
name: Mixed-list voice modem
voice: yes
callerid: yes
dead: no

ATI0 => 56000
ATI4 => Model: Mixed Voice 56K
AT+GMM? => ERROR
AT+GMI? => +GMI: MIXED
AT+GMR? => ERROR
AT+FMM? => ERROR
AT+FMI? => ERROR
AT+FMR? => ERROR

AT+VSM=? =>
| +VSM: 128,"8-BIT LINEAR",(7200,8000,11025)
| 1;G.711U;(8000)
| 2;G.711A;(8000)
| 3,SIGNED LINEAR,16,0,(7200-8000,11025)
| 4,"Mu-Law",8,0,(8000),(0),(0)
| 5,"14 bit PCM",14,0,(8000),0,0
|
| 6,"IMA ADPCM",4,0,(8000)
| 7,"CELP",1,0,(9600),0
AT+VGR=? => +VGR: (0-127)
AT+VGT=? => +VGT: (200-100)
AT+VLS=? =>
| 0, "", B0000000, B0000000, B0000000
| 1, "T", 0BC01800, 0BC01800, 0BC01800
