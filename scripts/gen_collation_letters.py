#!/usr/bin/env python3
"""Writes src/paradox/text/collation_letters.cpp: the non-ASCII letters of the code
pages Paradox tables use, with the letters they sort as, their accent class,
case and uppercase form, taken from Python's Unicode database.

    python3 scripts/gen_collation_letters.py > src/paradox/text/collation_letters.cpp
"""
import codecs
import unicodedata

cps=set()
for enc in ['cp437','cp850','cp852','cp865','cp866','cp1250','cp1251','cp1252','cp1257','cp857','cp860','cp863','iso8859_1']:
    for b in range(0x80,0x100):
        try: c=bytes([b]).decode(enc)
        except: continue
        cps.add(ord(c))
ACC={0x301:1,0x300:2,0x302:3,0x308:4,0x303:5,0x30A:6,0x327:7,0x30C:8,0x304:9,0x306:10,0x328:11,0x307:12,0x30B:13}
STROKE={'Ø':'O','ø':'o','Đ':'D','đ':'d','Ł':'L','ł':'l','Ħ':'H','ħ':'h','Ŧ':'T','ŧ':'t','Ð':'D','ð':'d'}
LIG={'Æ':'AE','æ':'ae','Œ':'OE','œ':'oe','ß':'ss','Ĳ':'IJ','ĳ':'ij','Þ':'TH','þ':'th'}
CYR='АБВГҐДЂЃЕЄЖЗЅИІЇЙЈКЛЉМНЊОПРСТЋЌУЎФХЦЧЏШЩЪЫЬЭЮЯ'
rows=[]
for cp in sorted(cps):
    ch=chr(cp)
    if not ch.isalpha(): continue
    up=ch.upper(); upc=ord(up) if len(up)==1 else 0
    isup=1 if ch.isupper() else 0
    kind=0; base=''; acc=0
    if ch in LIG: base=LIG[ch].upper(); acc=15
    elif ch in STROKE: base=STROKE[ch].upper(); acc=14
    elif 0x400<=cp<0x500:
        U=ch.upper()
        if U=='Ё': base='Е'; acc=4
        elif U in CYR: base=U
        else: continue
        kind=1
    else:
        d=unicodedata.decomposition(ch).split()
        if d and not d[0].startswith('<'):
            b=chr(int(d[0],16)); m=int(d[1],16) if len(d)>1 else 0
            if not ('A'<=b.upper()<='Z'): continue
            base=b.upper(); acc=ACC.get(m,16)
        else: continue
    if kind==1:
        prim='CYR(%d)'%CYR.index(base)
        p2='0'
    else:
        prim="'%s'"%base[0]; p2=("'%s'"%base[1]) if len(base)>1 else '0'
    rows.append('  {0x%04X, %s, %s, %d, %d, 0x%04X},  // %s'%(cp,prim,p2,acc,isup,upc if upc!=cp else 0,unicodedata.name(ch)))

HEAD = '// Letters outside ASCII found in the code pages Paradox tables use (437, 850,\n// 852, 857, 860, 863, 865, 866, 1250, 1251, 1252, 1257), with the letter(s) they\n// sort as, their accent class, whether they are uppercase and their uppercase\n// form (0 when the letter is its own uppercase or has no single-letter one).\n// Made from the Unicode character database: a letter\'s base is its canonical\n// decomposition\'s first character; ligatures and stroked letters are listed by\n// hand. Sorted by code point. Written by scripts/gen_collation_letters.py.\n#include "paradox/text/collation_letters.h"\n\nnamespace pdx {\nnamespace collation_internal {\n\n#define CYR(i) static_cast<uint16_t>(kCyrillicBase + 2 * (i))\n\nconst LetterInfo kLetters[] = {\n'
TAIL = '};\n\nconst size_t kLetterCount = sizeof(kLetters) / sizeof(kLetters[0]);\n\n}  // namespace collation_internal\n}  // namespace pdx\n'
print(HEAD + '\n'.join(rows) + '\n' + TAIL, end='')
