/* The compiled window template, embedded as read-only data. C names carry
   the target's user-label prefix ("_" on i686, none on x86_64). */
#define PASTE_(prefix, name) prefix##name
#define PASTE(prefix, name) PASTE_(prefix, name)
#define C_NAME(name) PASTE(__USER_LABEL_PREFIX__, name)

    .section .rdata,"dr"
    .globl C_NAME(lumadrel_form_template)
    .globl C_NAME(lumadrel_form_template_end)
    .p2align 2
C_NAME(lumadrel_form_template):
    .incbin LUMADREL_TEMPLATE_FILE
C_NAME(lumadrel_form_template_end):
