# The tokenizer of the mission-script language: ptbgen builds "Data\Tables\Script.ptb" from it.
#
# A token is a run of bytes between white space. The byte that ends a token is swallowed, never the
# start of the next one, so statements keep their parts apart with blanks: "a += $2", "if a < $3 then",
# "{" and "}" on their own. That one rule gives every kind of token the language has:
#   words            int  if  CreateObject  G_TIMER_TIME  AI_GROUP3
#   constants        $true  $false  $25  $-3  $1,5  $-0,25      (the comma is the decimal separator)
#   brackets         {  }
#   operators        =  <  >  <=  >=  <>  +=  -=  *=  /=
# and besides:
#   comments         "//" starts a token that runs to the end of its line, blanks included
#   quoted text      "Enemy ships ahead" is one token without its quotes, for text arguments with
#                    blanks; it ends at the closing quote or at the end of the line
# White space (every byte up to 32: blanks, tabs, line breaks, control bytes) is swallowed.
#
# A token that ends at the very end of the file, with nothing after it, reaches the compiler only one
# call late and so not at all: a script ends with a line break after its last "}".

state start                 # between tokens
    0x00-0x20       : skip   -> start
    '/'             : append -> slash
    '"'             : skip   -> quoted
    other           : append -> word

state word                  # words, constants, brackets and operators alike
    0x00-0x20       : emit   -> start
    other           : append -> word

state slash                 # a token that begins with "/": "/=", or a comment after a second "/"
    0x00-0x20       : emit   -> start
    '/'             : append -> comment
    other           : append -> word

state comment               # "//" and the rest of its line
    cr lf           : emit   -> start
    other           : append -> comment

state quoted                # the text between quotes
    '"'             : emit   -> start
    cr lf           : emit   -> start
    other           : append -> quoted
