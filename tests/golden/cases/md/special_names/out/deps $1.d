out\ put.c: my\ prog.zqs \
 inc\ dir/cost\ $$5\ \#1.inc

inc\ dir/cost\ $$5\ \#1.inc:
