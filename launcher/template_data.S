/* The compiled window template, embedded as read-only data. */
    .section .rdata,"dr"
    .globl _lumadrel_form_template
    .globl _lumadrel_form_template_end
    .p2align 2
_lumadrel_form_template:
    .incbin LUMADREL_TEMPLATE_FILE
_lumadrel_form_template_end:
